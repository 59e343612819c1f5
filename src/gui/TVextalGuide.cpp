#include "gui/TVextalGuide.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int TopOffset = 75;    // below the main window's top edge
constexpr int RightInset = 15;   // inside the main window's right edge
constexpr int TextWidth = 360;

struct GuidePage {
    QString Name;
    QStringList Texts;
};

const GuidePage& Page(int page) {
    static const GuidePage pages[TVextalGuide::PageCount] = {
        {QStringLiteral("First"),
         {
             QStringLiteral("Corvanta Vextal takes you step by step through statistical analyses. The "
                            "first step is to tell Vextal what kind of data you wish to enter. This choice "
                            "is important, as it determines which family of tests Vextal will offer."),
             QStringLiteral("At each step, the Vextal Guide will explain your options. Before you can "
                            "continue, you must close the Guide window by pressing \"Close\" below. Then "
                            "make your choices, and press the blue arrow button (lower right of the "
                            "Window) to go to the next step."),
         }},
        {QStringLiteral("Data Table"),
         {
             QStringLiteral("After closing this Guide window, enter, import or paste your data. Then press "
                            "the blue right arrow button at the bottom right of the window to go to the "
                            "next step."),
             QStringLiteral("Press a button at the lower left of the window to learn how to arrange your "
                            "data (important with Vextal) and how to import data (including indexed or "
                            "stacked data). As you move from step to step, these buttons will provide help "
                            "on different topics."),
         }},
        {QStringLiteral("Summary Statistics"),
         {
             QStringLiteral("This summary statistics screen shows the mean, SD, SEM, confidence interval, "
                            "etc. for each column. You can also enter data here as mean, SD and N for each "
                            "group."),
             QStringLiteral("After closing this Guide window, press the blue right arrow button to go to "
                            "the next step."),
             QStringLiteral("Press the \"Explain the results\" button for definitions of all the statistical "
                            "terms and a discussion of how they are used."),
         }},
        {QStringLiteral("Choose Test"),
         {
             QStringLiteral("Vextal presents choices based on the  kind of data and the number of groups "
                            "of data you entered. "),
             QStringLiteral("Press \"Help me choose\" (lower left) to learn which alternative is best for "
                            "your data. "),
             QStringLiteral("Close this Guide window. Then make your choices, and press the blue right "
                            "arrow button to go to the next step."),
             QStringLiteral("Vextal automatically analyzes all columns of data. For some tests, you will "
                            "see choices for restricting analysis to selected columns."),
         }},
        {QStringLiteral("Results"),
         {
             QStringLiteral("Press the \"Checklist\" button (lower left) to confirm that you picked an "
                            "appropriate test and to understand the results. "),
             QStringLiteral("An Vextal file contains one data table and the results of one test. Press "
                            "\"What's next\" to learn how to manage multiple analyses."),
             QStringLiteral("You don't have to follow Vextal's steps in order. Use the six step buttons "
                            "(bottom right) to jump from step to step. If you edit the data or change the "
                            "calculation choices, Vextal will automatically update the results."),
         }},
        {QStringLiteral("Graph"),
         {
             QStringLiteral("This is a notebook quality graph, suitable for getting a sense of your data "
                            "and to spot errors in data entry. You cannot change or edit the graph, but "
                            "can print it or copy it to the clipboard."),
         }},
    };

    return pages[page];
}

}  // namespace

TVextalGuide::TVextalGuide(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Vextal Guide"));

    m_pages = new QStackedWidget(this);
    for (int page = 0; page < PageCount; ++page) {
        auto* label = new QLabel(Page(page).Texts.join(QStringLiteral("\n\n")), m_pages);
        label->setObjectName(Page(page).Name);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFixedWidth(TextWidth);
        label->setMargin(8);
        label->setToolTip(textHint());
        m_pages->addWidget(label);
    }

    m_keep = new QCheckBox(QStringLiteral("Keep showing the Vextal Guide."), this);
    m_keep->setChecked(true);
    connect(m_keep, &QCheckBox::toggled, this, &TVextalGuide::keepShowingChanged);

    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setDefault(true);
    m_close->setAutoDefault(true);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_keep);
    bottom->addStretch();
    bottom->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setStep(0);
}

int TVextalGuide::pageFor(int step) { return step >= 0 && step < PageCount ? step : 0; }

QString TVextalGuide::pageName(int step) { return Page(pageFor(step)).Name; }

QStringList TVextalGuide::pageTexts(int step) { return Page(pageFor(step)).Texts; }

QString TVextalGuide::textHint() {
    return QStringLiteral(
        "Don't click here. Close the guide, then click the arrow button at the bottom of the Vextal window.");
}

QPoint TVextalGuide::placement(int step, const QRect& mainFrame, const QSize& guideSize) {
    const int top = mainFrame.top() + TopOffset;
    if (pageFor(step) == 0) return {mainFrame.left() + (mainFrame.width() - guideSize.width()) / 2, top};
    return {mainFrame.left() + mainFrame.width() - RightInset - guideSize.width(), top};
}

void TVextalGuide::setStep(int step) {
    m_pages->setCurrentIndex(pageFor(step));
    // Only the current page counts for the window's size.
    for (int page = 0; page < PageCount; ++page)
        m_pages->widget(page)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_pages->currentWidget()->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_pages->setFixedHeight(m_pages->currentWidget()->heightForWidth(TextWidth));
    adjustSize();
}

int TVextalGuide::page() const { return m_pages->currentIndex(); }

QLabel* TVextalGuide::pageLabel() const { return qobject_cast<QLabel*>(m_pages->currentWidget()); }

void TVextalGuide::prepare(int step, const QRect& mainFrame) {
    setStep(step);
    // The frame is a little larger than the client area once decorated.
    const QSize frameSize = isVisible() ? frameGeometry().size() : size();
    move(placement(step, mainFrame, frameSize));
}

bool TVextalGuide::keepShowing() const { return m_keep->isChecked(); }

void TVextalGuide::setKeepShowing(bool keep) { m_keep->setChecked(keep); }

bool TVextalGuide::showForStep(int step, QWidget* mainWindow) {
    QRect frame;
    if (mainWindow) frame = mainWindow->window()->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen()) frame = screen->availableGeometry();
    prepare(step, frame);
    m_close->setFocus();
    exec();
    return keepShowing();
}

void ShowGuide(int step, QWidget* mainWindow, bool& guideShown) {
    guideShown = true;
    TVextalGuide guide(mainWindow);
    QObject::connect(&guide, &TVextalGuide::keepShowingChanged, [&guideShown](bool keep) { guideShown = keep; });
    guideShown = guide.showForStep(step, mainWindow);
}
