#include <QApplication>
#include <QMessageBox>
#include <QSplashScreen>
#include <QTimer>

#include <clocale>
#include <functional>

#include "gui/TMainForm.h"
#include "gui/TScreenshots.h"
#include "gui/app_settings.h"
#include "gui/single_instance.h"
#include "stats/pvalue.h"
#include "workflow/calculation_progress.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // QApplication switched the C locale to the user's; numbers in files and
    // reports always use a decimal point, so put LC_NUMERIC back.
    std::setlocale(LC_NUMERIC, "C");

    QApplication::setApplicationName(QStringLiteral("Vextal"));
    QApplication::setOrganizationName(QStringLiteral("Corvanta Software"));
    QApplication::setApplicationVersion(QStringLiteral("3.06"));

    // A probability routine that meets an argument it cannot handle says so
    // in a box and lets the calculation go on.
    vextal::SetAssertMessageSink([](const std::string& message) {
        QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("Corvanta Vextal"),
                             QString::fromStdString(message));
    });

    // --screenshots OUTDIR [EXAMPLESDIR]: render every step of the sample
    // documents to PNG files and quit.
    const QStringList arguments = QApplication::arguments();
    const int shotIndex = arguments.indexOf(QStringLiteral("--screenshots"));
    if (shotIndex >= 0) {
        const QString outDir = arguments.value(shotIndex + 1, QStringLiteral("build/screenshots"));
        const QString examples = arguments.value(shotIndex + 2, QStringLiteral("examples"));
        const int written = renderScreenshots(examples, outDir);
        return written > 0 ? 0 : 1;
    }

    // One program per user: a second start hands its file to the first and
    // ends without a window.
    const QString fileName = joinedFileArgument(arguments);
    TSingleInstance instance;
    if (instance.tryHandOver(fileName)) return 0;
    instance.listen();

    // The start screen shows while the main window and the settings come up.
    QPixmap card(380, 170);
    card.fill(QColor(0xF4, 0xF6, 0xFA));
    QSplashScreen splash(card);
    splash.showMessage(QStringLiteral("Corvanta Vextal 3.06\n\nStatistics for scientists"), Qt::AlignCenter,
                       QColor(0x20, 0x30, 0x50));
    splash.show();

    TMainForm mainForm;
    mainForm.useSettings(loadProgramSettings(), settingsFilePath());
    applyStartWindowSize(&mainForm, mainForm.settings());
    mainForm.show();
    // A file handed over during a calculation waits until it has ended.
    std::function<void(const QString&)> openHandedOver = [&mainForm, &openHandedOver](const QString& path) {
        TSingleInstance::bringToFront(&mainForm);
        if (path.isEmpty()) return;
        if (vextal::Calculating())
            QTimer::singleShot(250, &mainForm, [&openHandedOver, path] { openHandedOver(path); });
        else
            mainForm.openDocument(path);
    };
    QObject::connect(&instance, &TSingleInstance::fileHandedOver, &mainForm, openHandedOver);
    // Without a data file the user starts on a new document.
    QTimer::singleShot(0, &mainForm, [&mainForm, &splash, fileName] {
        if (fileName.isEmpty())
            mainForm.newDocument();
        else
            mainForm.openDocument(fileName);
        splash.finish(&mainForm);
    });
    return app.exec();
}
