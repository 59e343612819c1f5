#include "gui/TScreenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QPixmap>

#include <iostream>

#include "gui/TAnalysisForm.h"
#include "gui/TMainForm.h"

namespace {
const char* const StepNames[] = {"start", "data", "stats", "choose", "results", "graph"};

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}
}  // namespace

int renderScreenshots(const QString& examplesDir, const QString& outDir) {
    if (!QDir().mkpath(outDir)) return -1;
    int written = 0;
    const auto sink = [](const std::string&, const std::string& text) { std::cerr << text << '\n'; };
    const QFileInfoList files = QDir(examplesDir).entryInfoList({QStringLiteral("*.vxd"), QStringLiteral("*.VXD")},
                                                                QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        TAnalysisForm form{vextal::NumberSettings{}};
        form.resize(1000, 640);
        form.show();
        if (!form.loadFile(file.absoluteFilePath(), sink)) continue;
        const auto enabled = form.enabledSteps();
        for (int step = 0; step < TAnalysisForm::StepCount; ++step) {
            if (!enabled[step]) continue;
            form.showStep(step);
            settle();
            const QString path = QStringLiteral("%1/%2_%3_%4.png")
                                     .arg(outDir, file.completeBaseName())
                                     .arg(step)
                                     .arg(QString::fromLatin1(StepNames[step]));
            if (form.grab().save(path)) ++written;
        }
    }
    TMainForm frame;
    frame.resize(1000, 700);
    frame.show();
    if (!files.isEmpty()) frame.openDocument(files.front().absoluteFilePath());
    settle();
    if (frame.grab().save(outDir + QStringLiteral("/main_window.png"))) ++written;
    return written;
}
