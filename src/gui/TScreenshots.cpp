#include "gui/TScreenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QPixmap>

#include <iostream>

#include "gui/TAnalysisForm.h"
#include "gui/THelpViewer.h"
#include "gui/TMainForm.h"
#include "gui/TTransformForm.h"
#include "gui/TVextalGuide.h"

#include <QMdiArea>

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
    frame.resize(1100, 760);
    frame.show();
    if (files.size() >= 2) {
        frame.openDocument(files[0].absoluteFilePath());
        frame.openDocument(files[files.size() - 1].absoluteFilePath());
        frame.mdiArea()->tileSubWindows();
    }
    settle();
    if (frame.grab().save(outDir + QStringLiteral("/main_window_tiled.png"))) ++written;

    // The dialogs and windows that open from the menus.
    const auto shot = [&](QWidget& widget, const char* name) {
        widget.show();
        settle();
        if (widget.grab().save(outDir + QLatin1Char('/') + QLatin1String(name))) ++written;
        widget.hide();
    };
    TTransformForm transform{vextal::NumberSettings{}};
    shot(transform, "dialog_transform.png");
    TVextalGuide guide;
    guide.prepare(TAnalysisForm::DataStep, frame.frameGeometry());
    shot(guide, "guide_data_step.png");
    THelpViewer help;
    help.resize(900, 640);
    help.ShowTopic(366);
    shot(help, "help_366.png");
    help.ShowTopic(161);
    shot(help, "help_161.png");
    return written;
}
