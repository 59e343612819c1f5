#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "gui/TTransformForm.h"
#include "gui/TVextalGuide.h"

namespace {

TEST(VextalGuide, PagesAndTheirTexts) {
    const QStringList names{"First", "Data Table", "Summary Statistics", "Choose Test", "Results", "Graph"};
    const int paragraphs[] = {2, 2, 3, 4, 3, 1};
    for (int step = 0; step < TVextalGuide::PageCount; ++step) {
        EXPECT_EQ(TVextalGuide::pageName(step), names[step]);
        EXPECT_EQ(TVextalGuide::pageTexts(step).size(), paragraphs[step]) << step;
    }
    EXPECT_EQ(TVextalGuide::pageName(-1), QStringLiteral("First")) << "no document open";

    EXPECT_EQ(TVextalGuide::pageTexts(3).at(0),
              QStringLiteral("Vextal presents choices based on the  kind of data and the number of groups "
                             "of data you entered. "));

    TVextalGuide guide;
    EXPECT_EQ(guide.windowTitle(), QStringLiteral("Vextal Guide"));
    EXPECT_EQ(guide.keepShowingBox()->text(), QStringLiteral("Keep showing the Vextal Guide."));
    EXPECT_TRUE(guide.keepShowing());
    EXPECT_EQ(guide.closeButton()->text(), QStringLiteral("Close"));
    EXPECT_TRUE(guide.closeButton()->isDefault());
    guide.setStep(2);
    EXPECT_EQ(guide.pageLabel()->text(), TVextalGuide::pageTexts(2).join(QStringLiteral("\n\n")));
    EXPECT_EQ(guide.pageLabel()->toolTip(),
              QStringLiteral("Don't click here. Close the guide, then click the arrow button at the bottom "
                             "of the Vextal window."));
}

TEST(VextalGuide, PlacementOverTheMainWindow) {
    const QRect main(100, 50, 1000, 700);
    const QSize size(400, 300);
    EXPECT_EQ(TVextalGuide::placement(0, main, size), QPoint(400, 125));  // centred
    for (int step = 1; step < TVextalGuide::PageCount; ++step)
        EXPECT_EQ(TVextalGuide::placement(step, main, size), QPoint(685, 125));  // 1100 - 15 - 400

    TVextalGuide guide;
    guide.show();
    guide.prepare(3, main);
    const QRect frame = guide.frameGeometry();
    EXPECT_EQ(frame.top(), 125);
    EXPECT_EQ(frame.left() + frame.width(), 1100 - 15);
    EXPECT_EQ(guide.page(), 3);
}

// ShowGuide sets GuideShown, shows the page of the step, and the check box
// decides whether the guide keeps opening.
TEST(VextalGuide, ShowGuideKeepsTheCheckBoxState) {
    QWidget mainWindow;
    mainWindow.setGeometry(100, 50, 1000, 700);
    bool guideShown = false;
    int pageSeen = -1;
    QTimer::singleShot(0, [&] {
        TVextalGuide* guide = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<TVextalGuide*>(widget); found && found->isVisible()) guide = found;
        ASSERT_NE(guide, nullptr);
        EXPECT_TRUE(guide->isModal());
        pageSeen = guide->page();
        EXPECT_TRUE(guideShown);
        guide->keepShowingBox()->click();
        EXPECT_FALSE(guideShown) << "the box writes its state at once";
        guide->closeButton()->click();
    });
    ShowGuide(1, &mainWindow, guideShown);
    EXPECT_EQ(pageSeen, 1);
    EXPECT_FALSE(guideShown);
}

// Pictures of the windows for looking at them, written only when
// VEXTAL_SHOTS_DIR names a folder.
TEST(DataCommandWindows, Screenshots) {
    const QString dir = qEnvironmentVariable("VEXTAL_SHOTS_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "VEXTAL_SHOTS_DIR is not set";
    QDir().mkpath(dir);
    for (int step : {0, 3}) {
        TVextalGuide guide;
        guide.setStep(step);
        guide.show();
        EXPECT_TRUE(guide.grab().save(dir + QStringLiteral("/guide_step%1.png").arg(step)));
    }
    TTransformForm transform(vextal::NumberSettings{});
    transform.show();
    EXPECT_TRUE(transform.grab().save(dir + QStringLiteral("/transform_dialog.png")));
}

}  // namespace
