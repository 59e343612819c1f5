#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include "gui/app_settings.h"

TEST(AppSettings, WrittenAtExitAndReadBackAtStart) {
    QStandardPaths::setTestModeEnabled(true);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_EQ(config + QStringLiteral("/Corvanta Software/Vextal/3.06/vextal.ini"), settingsFilePath());
    QStandardPaths::setTestModeEnabled(false);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Corvanta Software/Vextal/3.06/vextal.ini"));
    vextal::ProgramSettings settings = loadProgramSettings(path, QStringLiteral("/opt/vextal"));  // no file yet
    EXPECT_EQ(vextal::DefaultProgramSettings(settings.DecimalSeparator, "/opt/vextal"), settings);

    QWidget window;
    window.resize(700, 520);
    rememberWindowSize(settings, &window);
    settings.DecimalSeparator = ',';
    settings.VextalFolder = "/home/ann/data";
    settings.ShowNewUserHints = true;
    settings.RecentFiles[0] = "/home/ann/data/growth.VXD";
    ASSERT_TRUE(saveProgramSettings(settings, path));

    // The folders start at the program's folder and the guide flag is per run.
    vextal::ProgramSettings expected = settings;
    expected.VextalFolder = "/opt/vextal";
    expected.ShowNewUserHints = false;
    EXPECT_EQ(expected, loadProgramSettings(path, QStringLiteral("/opt/vextal")));
    EXPECT_FALSE(saveProgramSettings(settings, path + QStringLiteral("/inside-a-file.ini")));
}

TEST(AppSettings, SavedSizeLargerThanTheScreenIsCapped) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("vextal.ini"));
    QWidget window;
    ASSERT_NE(nullptr, window.screen());
    const QSize screen = window.screen()->availableSize();

    vextal::ProgramSettings settings;
    settings.Width = screen.width() + 500;
    settings.Height = screen.height() / 2;
    ASSERT_TRUE(saveProgramSettings(settings, path));
    applyStartWindowSize(&window, loadProgramSettings(path, dir.path()));
    EXPECT_EQ(QSize(screen.width(), screen.height() / 2), window.size());

    settings.Height = 0;  // both are needed
    ASSERT_TRUE(saveProgramSettings(settings, path));
    applyStartWindowSize(&window, loadProgramSettings(path, dir.path()));
    EXPECT_EQ(QSize(640, 480), window.size());
}
