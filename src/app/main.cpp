#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <clocale>

#include "gui/TMainForm.h"
#include "gui/TScreenshots.h"
#include "stats/pvalue.h"

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

    TMainForm mainForm;
    mainForm.show();
    // All arguments joined with blanks name one data file (a path with
    // blanks may arrive split); without one the user starts on a new document.
    const QString fileName = arguments.mid(1).join(QLatin1Char(' '));
    QTimer::singleShot(0, &mainForm, [&mainForm, fileName] {
        if (fileName.isEmpty())
            mainForm.newDocument();
        else
            mainForm.openDocument(fileName);
    });
    return app.exec();
}
