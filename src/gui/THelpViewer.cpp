#include "gui/THelpViewer.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

// The resources live in the static GUI library; nothing else refers to them,
// so the linker keeps them only through this call.
static void initHelpResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(vextal_help);
        return true;
    }();
    (void)done;
}

namespace {

QPointer<THelpViewer> shared;

const QString ResourceFolder = QStringLiteral(":/help/");

QString readResource(const QString& name) {
    initHelpResources();
    QFile file(ResourceFolder + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList searchWords(const QString& words) {
    return words.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool holdsAll(const QString& text, const QStringList& words) {
    for (const QString& word : words)
        if (!text.contains(word))
            return false;
    return true;
}

constexpr int PageRole = Qt::UserRole;

} // namespace

void THelpViewer::ShowHelpTopic(QWidget* parent, int topic) {
    if (!shared)
        shared = new THelpViewer(parent);
    shared->ShowTopic(topic);
    if (shared->isMinimized())
        shared->showNormal();
    else
        shared->show();
    shared->raise();
    shared->activateWindow();
}

void THelpViewer::ShowHelpSearch(QWidget* parent, const QString& words) {
    ShowHelpTopic(parent, shared ? shared->CurrentPage().Topic : HelpContentsTopic);
    shared->SetSearchText(words);
    shared->search_->setFocus();
    shared->search_->selectAll();
}

THelpViewer* THelpViewer::Instance() {
    return shared.data();
}

QString THelpViewer::PageSource(const HelpPage& page) {
    return readResource(QString::fromLatin1(page.File));
}

QString THelpViewer::PageText(const HelpPage& page) {
    QTextDocument document;
    document.setHtml(PageSource(page));
    return document.toPlainText();
}

QUrl THelpViewer::PageUrl(const HelpPage& page) {
    return QUrl(QStringLiteral("qrc:/help/") + QString::fromLatin1(page.File));
}

THelpViewer::THelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    initHelpResources();
    setObjectName(QStringLiteral("helpViewer"));
    setWindowTitle(QStringLiteral("Vextal Help"));
    resize(1000, 680);
    if (!parent)
        connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);

    for (const HelpPage& page : HelpPages())
        index_.push_back({&page, QString::fromUtf8(page.Title).toLower(), PageText(page).toLower()});

    search_ = new QLineEdit;
    search_->setObjectName(QStringLiteral("helpSearch"));
    search_->setPlaceholderText(QStringLiteral("Search for words"));
    search_->setClearButtonEnabled(true);
    listCaption_ = new QLabel;
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("helpPages"));
    list_->setWordWrap(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(search_);
    leftLayout->addWidget(listCaption_);
    leftLayout->addWidget(list_, 1);

    auto* contents = new QPushButton(QStringLiteral("&Contents"));
    back_ = new QPushButton(QStringLiteral("&Back"));
    forward_ = new QPushButton(QStringLiteral("&Forward"));
    back_->setEnabled(false);
    forward_->setEnabled(false);
    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(false);
    browser_->document()->setDefaultStyleSheet(readResource(QStringLiteral("help.css")));

    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch(1);
    rightLayout->addLayout(buttons);
    rightLayout->addWidget(browser_, 1);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({330, 670});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    connect(contents, &QPushButton::clicked, this, [this] { ShowTopic(HelpContentsTopic); });
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &THelpViewer::SourceChanged);
    connect(search_, &QLineEdit::textChanged, this, &THelpViewer::FillList);
    connect(search_, &QLineEdit::returnPressed, this, [this] {
        if (list_->count() > 0 && !search_->text().trimmed().isEmpty())
            ListItemChosen(list_->item(0));
    });
    connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!filling_)
            ListItemChosen(item);
    });
    connect(list_, &QListWidget::itemClicked, this, &THelpViewer::ListItemChosen);

    FillList();
    ShowTopic(HelpContentsTopic);
}

void THelpViewer::ShowTopic(int topic) {
    const HelpPage* page = FindHelpTopic(topic);
    ShowPage(page ? *page : *FindHelpTopic(HelpContentsTopic));
}

void THelpViewer::ShowPage(const HelpPage& page, const QString& highlight) {
    const QUrl url = PageUrl(page);
    if (browser_->source() != url)
        browser_->setSource(url);
    else
        SourceChanged(url);
    if (!highlight.isEmpty()) {
        browser_->moveCursor(QTextCursor::Start);
        browser_->find(highlight);
    }
}

void THelpViewer::SourceChanged(const QUrl& url) {
    const HelpPage* page = FindHelpFile(url.fileName().toStdString());
    if (!page)
        return;
    current_ = page;
    setWindowTitle(QStringLiteral("Vextal Help - ") + QString::fromUtf8(page->Title));
    SelectCurrentInList();
}

std::vector<const HelpPage*> THelpViewer::Search(const QString& words) const {
    const QStringList wanted = searchWords(words);
    std::vector<const HelpPage*> inTitle;
    std::vector<const HelpPage*> inText;
    if (wanted.isEmpty())
        return inTitle;
    for (const IndexedPage& entry : index_) {
        if (holdsAll(entry.Title, wanted))
            inTitle.push_back(entry.Page);
        else if (entry.Page->Topic != HelpContentsTopic && // its text only repeats the other titles
                 holdsAll(entry.Title + QLatin1Char(' ') + entry.Text, wanted))
            inText.push_back(entry.Page);
    }
    inTitle.insert(inTitle.end(), inText.begin(), inText.end());
    return inTitle;
}

void THelpViewer::SetSearchText(const QString& words) {
    if (search_->text() == words)
        FillList();
    else
        search_->setText(words); // textChanged refills the list
}

void THelpViewer::FillList() {
    filling_ = true;
    list_->clear();
    const auto addPage = [this](const HelpPage& page) {
        auto* item = new QListWidgetItem(QString::fromUtf8(page.Title), list_);
        item->setData(PageRole, QString::fromLatin1(page.File));
    };
    const QString words = search_->text();
    if (searchWords(words).isEmpty()) {
        listCaption_->setText(QStringLiteral("Contents"));
        const char* section = nullptr;
        for (const HelpPage& page : HelpPages()) {
            if (!section || std::string_view(section) != page.Section) {
                section = page.Section;
                auto* heading = new QListWidgetItem(QString::fromUtf8(section), list_);
                QFont bold = heading->font();
                bold.setBold(true);
                heading->setFont(bold);
                heading->setFlags(Qt::ItemIsEnabled); // a heading, not a page
            }
            addPage(page);
        }
    } else {
        const std::vector<const HelpPage*> found = Search(words);
        if (found.empty())
            listCaption_->setText(QStringLiteral("No page holds all of these words."));
        else if (found.size() == 1)
            listCaption_->setText(QStringLiteral("1 page found:"));
        else
            listCaption_->setText(QStringLiteral("%1 pages found:").arg(found.size()));
        for (const HelpPage* page : found)
            addPage(*page);
    }
    filling_ = false;
    SelectCurrentInList();
}

void THelpViewer::SelectCurrentInList() {
    if (!current_)
        return;
    const QString file = QString::fromLatin1(current_->File);
    const bool wasFilling = filling_;
    filling_ = true;
    list_->setCurrentItem(nullptr);
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        if (item->data(PageRole).toString() == file) {
            list_->setCurrentItem(item);
            list_->scrollToItem(item);
            break;
        }
    }
    filling_ = wasFilling;
}

void THelpViewer::ListItemChosen(QListWidgetItem* item) {
    if (!item)
        return;
    const HelpPage* page = FindHelpFile(item->data(PageRole).toString().toStdString());
    if (!page)
        return;
    const QStringList words = searchWords(search_->text());
    ShowPage(*page, words.isEmpty() ? QString() : words.first());
}
