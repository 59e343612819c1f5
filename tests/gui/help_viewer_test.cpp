#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

#include "gui/HelpTopics.h"
#include "gui/THelpViewer.h"
#include "stats/contingency.h"
#include "stats/linear_correlation.h"
#include "stats/linear_regression.h"
#include "stats/multiple_regression.h"
#include "stats/nonparametric_anova.h"
#include "stats/one_way_anova.h"
#include "stats/rank_tests.h"
#include "stats/repeated_measures_anova.h"
#include "stats/spearman.h"
#include "stats/t_tests.h"
#include "stats/two_by_two.h"
#include "workflow/choose_test_state.h"

namespace {

// Every number a help button, a Help menu item or an analysis asks for.
const std::vector<int> ProgramTopics = {1,   13,  21,  73,  88,  93,  104, 114, 134, 161, 182, 186, 194,
                                        202, 208, 210, 229, 238, 302, 366, 463, 471, 496, 504, 505, 507,
                                        509, 515, 528, 529, 538, 551, 555, 557, 567, 612, 658, 662, 695};

// The offscreen platform cannot raise windows and says so at every call.
class QuietRaise {
public:
    QuietRaise() { previous_ = qInstallMessageHandler(&QuietRaise::handle); }
    ~QuietRaise() { qInstallMessageHandler(previous_); }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (!text.startsWith(QStringLiteral("This plugin does not support")))
            previous_(type, context, text);
    }
    static inline QtMessageHandler previous_ = nullptr;
};
const QuietRaise quietRaise;

THelpViewer& viewerAt(int topic) {
    THelpViewer::ShowHelpTopic(nullptr, topic);
    QCoreApplication::processEvents();
    return *THelpViewer::Instance();
}

QString fileOf(const HelpPage* page) {
    return page ? QString::fromLatin1(page->File) : QStringLiteral("(none)");
}

} // namespace

TEST(HelpTopics, EveryNumberTheProgramUsesHasItsOwnPage) {
    std::vector<int> numbers = ProgramTopics;
    using namespace vextal;
    for (int topic : {OneSampleTTestHelpTopic, UnpairedTTestHelpTopic, PairedTTestHelpTopic,
                      SignedRankHelpTopic, MatchedPairsHelpTopic, MannWhitneyHelpTopic, OneWayAnovaHelpTopic,
                      RepeatedMeasuresHelpTopic, KruskalWallisHelpTopic, FriedmanHelpTopic, TwoByTwoHelpTopic,
                      LargerTableHelpTopic, LinearRegressionHelpTopic, LinearCorrelationHelpTopic,
                      SpearmanHelpTopic, MultipleRegressionHelpTopic, CorrelationMatrixHelpTopic})
        numbers.push_back(topic);
    for (auto page :
         {ChooseTestPage::ThreeOrMoreColumns, ChooseTestPage::TwoByTwo, ChooseTestPage::TwoColumns,
          ChooseTestPage::OneColumn, ChooseTestPage::Fit, ChooseTestPage::MultipleRegression})
        numbers.push_back(ChooseTestHelpTopic(page));
    for (int topic : numbers)
        EXPECT_NE(FindHelpTopic(topic), nullptr) << "no page for topic " << topic;

    QSet<QString> files, titles;
    QSet<int> topics;
    for (const HelpPage& page : HelpPages()) {
        EXPECT_FALSE(files.contains(page.File)) << page.File;
        EXPECT_FALSE(titles.contains(page.Title)) << page.Title;
        EXPECT_TRUE(page.Topic == 0 || !topics.contains(page.Topic)) << page.Topic;
        files.insert(page.File);
        titles.insert(page.Title);
        topics.insert(page.Topic);
    }
    EXPECT_EQ(FindHelpTopic(0), nullptr);
    EXPECT_EQ(FindHelpTopic(9999), nullptr);
}

TEST(HelpPages, EachPageHasItsTitleAndRealText) {
    const QRegularExpression unfinished(QStringLiteral("todo|tbd|fixme|placeholder|lorem ipsum|xxx"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (const HelpPage& page : HelpPages()) {
        SCOPED_TRACE(page.File);
        const QString source = THelpViewer::PageSource(page);
        ASSERT_FALSE(source.isEmpty());
        QTextDocument document;
        document.setHtml(source);
        EXPECT_EQ(document.metaInformation(QTextDocument::DocumentTitle).toStdString(), page.Title);
        const QString text = document.toPlainText();
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(page.Title))) << "heading differs from the title";
        EXPECT_GE(text.size(), 600);
        EXPECT_FALSE(unfinished.match(text).hasMatch()) << unfinished.match(text).captured().toStdString();
    }
}

TEST(HelpPages, LinksResolveAndContentsReachesEveryPage) {
    const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    for (const HelpPage& page : HelpPages()) {
        SCOPED_TRACE(page.File);
        QSet<QString> targets;
        auto links = href.globalMatch(THelpViewer::PageSource(page));
        while (links.hasNext()) {
            const QUrl url(links.next().captured(1));
            const HelpPage* target = FindHelpFile(url.path().toStdString());
            EXPECT_TRUE(url.isRelative() && target) << url.toString().toStdString();
            if (target && url.hasFragment()) {
                EXPECT_TRUE(THelpViewer::PageSource(*target).contains(
                    QStringLiteral("id=\"%1\"").arg(url.fragment())))
                    << url.toString().toStdString();
            }
            targets.insert(url.path());
        }
        if (page.Topic == HelpContentsTopic) {
            for (const HelpPage& other : HelpPages())
                EXPECT_TRUE(other.Topic == HelpContentsTopic || targets.contains(other.File)) << other.File;
        } else {
            EXPECT_TRUE(targets.contains(QStringLiteral("contents.html")));
        }
    }
}

TEST(HelpViewer, OpensEveryTopicInOneSharedWindow) {
    THelpViewer& first = viewerAt(HelpContentsTopic);
    for (const HelpPage& page : HelpPages()) {
        if (page.Topic == 0)
            continue;
        THelpViewer& viewer = viewerAt(page.Topic);
        EXPECT_EQ(&viewer, &first);
        EXPECT_EQ(viewer.CurrentPage().Topic, page.Topic);
        EXPECT_EQ(viewer.browser()->documentTitle().toStdString(), page.Title);
        EXPECT_GE(viewer.browser()->toPlainText().size(), 600) << page.File;
        EXPECT_TRUE(viewer.windowTitle().endsWith(QString::fromUtf8(page.Title)));
        EXPECT_EQ(viewer.pageList()->currentItem()->text().toStdString(), page.Title);
    }
    for (int unknown : {0, -3, 2, 9999})
        EXPECT_EQ(viewerAt(unknown).CurrentPage().Topic, HelpContentsTopic) << unknown;
}

TEST(HelpViewer, FollowsLinksAndGoesBack) {
    THelpViewer& viewer = viewerAt(93); // unpaired t test
    viewer.browser()->setSource(QUrl(QStringLiteral("mann-whitney.html")));
    EXPECT_STREQ(viewer.CurrentPage().File, "mann-whitney.html");
    EXPECT_EQ(viewer.browser()->documentTitle().toStdString(), "Mann-Whitney test");
    viewer.browser()->backward();
    EXPECT_EQ(viewer.CurrentPage().Topic, 93);
}

TEST(HelpViewer, SearchFindsPagesByTitleAndText) {
    THelpViewer& viewer = viewerAt(HelpContentsTopic);
    const auto files = [&](const QString& words) {
        QStringList found;
        for (const HelpPage* page : viewer.Search(words))
            found << fileOf(page);
        return found;
    };
    EXPECT_TRUE(files(QStringLiteral("Bartlett")).contains(QStringLiteral("one-way-anova.html")));
    EXPECT_TRUE(files(QStringLiteral("YATES correction")).contains(QStringLiteral("two-by-two.html")));
    // Pages with the words in their title come first.
    EXPECT_EQ(files(QStringLiteral("mann-whitney")).value(0).toStdString(), "mann-whitney.html");
    // Every word must be present.
    EXPECT_FALSE(files(QStringLiteral("Bartlett Yates")).contains(QStringLiteral("one-way-anova.html")));
    EXPECT_TRUE(files(QStringLiteral("  ")).isEmpty());
    EXPECT_TRUE(files(QStringLiteral("zyzzyva")).isEmpty());
    // Pattern characters are plain text.
    EXPECT_TRUE(files(QStringLiteral("(r)")).contains(QStringLiteral("correlation.html")));
    EXPECT_TRUE(files(QStringLiteral(".*")).isEmpty());

    viewer.SetSearchText(QStringLiteral("Kolmogorov"));
    ASSERT_GT(viewer.pageList()->count(), 1);
    QListWidgetItem* item = viewer.pageList()->item(0);
    viewer.pageList()->setCurrentItem(item);
    EXPECT_EQ(viewer.browser()->documentTitle().toStdString(), item->text().toStdString());
    EXPECT_TRUE(viewer.browser()->textCursor().selectedText().compare(QStringLiteral("kolmogorov"),
                                                                      Qt::CaseInsensitive) == 0);

    viewer.SetSearchText(QString());
    EXPECT_GE(viewer.pageList()->count(), static_cast<int>(HelpPages().size()));
}

TEST(HelpViewer, SearchCommandFocusesTheSearchBox) {
    THelpViewer::ShowHelpSearch(nullptr, QStringLiteral("odds ratio"));
    THelpViewer& viewer = *THelpViewer::Instance();
    EXPECT_EQ(viewer.searchBox()->text().toStdString(), "odds ratio");
    EXPECT_GT(viewer.pageList()->count(), 0);
    viewer.SetSearchText(QString());
}

TEST(HelpViewer, WindowGoesWithItsParent) {
    delete THelpViewer::Instance();
    auto* frame = new QWidget;
    THelpViewer::ShowHelpTopic(frame, 504);
    QPointer<THelpViewer> viewer = THelpViewer::Instance();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isWindow());
    delete frame;
    EXPECT_EQ(viewer, nullptr);
    EXPECT_EQ(THelpViewer::Instance(), nullptr);
    EXPECT_EQ(viewerAt(504).CurrentPage().Topic, 504);
}

TEST(HelpViewer, PagesRenderForScreenshots) {
    const QString folder = qEnvironmentVariable("VEXTAL_SHOTS_DIR");
    for (const auto& [topic, name] :
         {std::pair{366, "help_one_way_anova.png"}, std::pair{557, "help_two_by_two.png"}}) {
        THelpViewer& viewer = viewerAt(topic);
        viewer.SetSearchText(topic == 557 ? QStringLiteral("odds ratio") : QString());
        const QImage image = viewer.grab().toImage();
        ASSERT_FALSE(image.isNull());
        // A rendered page is not one flat colour.
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7)
            for (int x = 0; x < image.width(); x += 7)
                colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 10);
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            EXPECT_TRUE(image.save(QDir(folder).filePath(QString::fromLatin1(name))));
        }
        viewer.SetSearchText(QString());
    }
}
