#include <QApplication>
#include <QMessageBox>

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
    return app.exec();
}
