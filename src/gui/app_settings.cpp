#include "gui/app_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

#include "data/number_settings.h"

namespace {

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace

QString settingsFolderPath() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Corvanta Software/Vextal/3.06");
}

QString settingsFilePath() {
    return settingsFolderPath() + QLatin1Char('/') + QString::fromLatin1(vextal::SettingsFileName);
}

vextal::ProgramSettings loadProgramSettings(const QString& filePath, const QString& programFolder) {
    const std::string folder = programFolder.toStdString();
    const vextal::ProgramSettings defaults =
        vextal::DefaultProgramSettings(vextal::SystemNumberSettings().DecimalSeparator, folder);
    vextal::ProgramSettings settings = vextal::ReadSettingsFile(localPath(filePath), defaults);
    settings.VextalFolder = folder;
    settings.ImportFolder = folder;
    settings.ShowNewUserHints = false;
    return settings;
}

vextal::ProgramSettings loadProgramSettings() {
    return loadProgramSettings(settingsFilePath(), QCoreApplication::applicationDirPath());
}

bool saveProgramSettings(const vextal::ProgramSettings& settings, const QString& filePath) {
    return vextal::WriteSettingsFile(localPath(filePath), settings) == 0;
}

bool saveProgramSettings(const vextal::ProgramSettings& settings) {
    return saveProgramSettings(settings, settingsFilePath());
}

QSize startWindowSize(const vextal::ProgramSettings& settings, const QSize& screen) {
    const vextal::WindowSize size = vextal::StartWindowSize(settings, screen.width(), screen.height());
    return {size.Width, size.Height};
}

void applyStartWindowSize(QWidget* window, const vextal::ProgramSettings& settings) {
    const QScreen* screen = window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    window->resize(startWindowSize(settings, screen != nullptr ? screen->availableSize() : QSize()));
}

void rememberWindowSize(vextal::ProgramSettings& settings, const QWidget* window) {
    QSize size = window->size();
    if (window->isMaximized() || window->isMinimized() || window->isFullScreen()) {
        const QRect normal = window->normalGeometry();
        if (normal.isValid())
            size = normal.size();
    }
    settings.Width = size.width();
    settings.Height = size.height();
}
