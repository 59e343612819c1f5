#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/TMainForm.h"

namespace {

// Lets deferred panel updates and deleteLater() run.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QMdiSubWindow* addDocumentWindow(TMainForm& form, bool deleteOnClose) {
    auto* sub = new QMdiSubWindow;
    sub->setWidget(new QLabel(QStringLiteral("document")));
    sub->setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    form.mdiArea()->addSubWindow(sub);
    sub->show();
    settle();
    return sub;
}

TEST(MainForm, CaptionAndExitItem) {
    TMainForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Corvanta Vextal 32-bit"));

    auto* exitAction = form.findChild<QAction*>(QStringLiteral("exitAction"));
    ASSERT_NE(exitAction, nullptr);
    EXPECT_EQ(exitAction->text(), QStringLiteral("E&xit"));
}

TEST(MainForm, ExitClosesTheFrame) {
    TMainForm form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.findChild<QAction*>(QStringLiteral("exitAction"))->trigger();
    EXPECT_FALSE(form.isVisible());
}

TEST(MainForm, EmptyFrameShowsHint) {
    TMainForm form;
    form.show();
    settle();

    EXPECT_TRUE(form.isEmptyPanelShown());
    auto* panel = form.findChild<QLabel*>(QStringLiteral("emptyPanel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->text(),
              QStringLiteral("No Vextal documents are open. Pull down the File menu and choose New or Open."));
    EXPECT_FALSE(form.mdiArea()->isVisible());
}

TEST(MainForm, DocumentWindowReplacesHintUntilClosed) {
    TMainForm form;
    form.show();
    settle();

    QPointer<QMdiSubWindow> sub = addDocumentWindow(form, /*deleteOnClose=*/true);
    EXPECT_FALSE(form.isEmptyPanelShown());
    EXPECT_TRUE(form.mdiArea()->isVisible());
    EXPECT_TRUE(sub->isVisible());

    sub->close();
    settle();
    EXPECT_TRUE(sub.isNull());
    EXPECT_TRUE(form.isEmptyPanelShown());
}

TEST(MainForm, HintStaysAwayWhileAnyDocumentIsOpen) {
    TMainForm form;
    form.show();
    settle();

    QMdiSubWindow* first = addDocumentWindow(form, true);
    QMdiSubWindow* second = addDocumentWindow(form, true);
    first->close();
    settle();
    EXPECT_FALSE(form.isEmptyPanelShown());

    second->close();
    settle();
    EXPECT_TRUE(form.isEmptyPanelShown());
}

TEST(MainForm, HiddenButKeptSubwindowCountsAsClosed) {
    // A subwindow without WA_DeleteOnClose is only hidden by close() and stays
    // in the area's list; the frame must still fall back to the hint.
    TMainForm form;
    form.show();
    settle();

    QMdiSubWindow* sub = addDocumentWindow(form, /*deleteOnClose=*/false);
    EXPECT_FALSE(form.isEmptyPanelShown());
    sub->close();
    settle();
    EXPECT_EQ(form.mdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(form.isEmptyPanelShown());

    sub->show();
    settle();
    EXPECT_FALSE(form.isEmptyPanelShown());
}

TEST(MainForm, DocumentAddedBeforeFrameIsShown) {
    TMainForm form;
    auto* sub = new QMdiSubWindow;
    sub->setWidget(new QLabel(QStringLiteral("document")));
    form.mdiArea()->addSubWindow(sub);
    settle();
    EXPECT_FALSE(form.isEmptyPanelShown());

    form.show();
    settle();
    EXPECT_TRUE(sub->isVisible());
}

} // namespace
