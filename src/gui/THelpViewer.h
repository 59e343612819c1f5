// The help window: the pages compiled into the program, a contents list, a
// keyword search over titles and text, and Back / Forward / Contents.
// Help buttons and Help menu items open it by topic number.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

#include "gui/HelpTopics.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTextBrowser;
class QUrl;

class THelpViewer : public QWidget {
    Q_OBJECT

public:
    /// Opens the shared help window (creating it on first use, as a
    /// top-level window owned by `parent`) at `topic` and raises it. An
    /// unknown topic shows the contents.
    static void ShowHelpTopic(QWidget* parent, int topic);
    /// Opens the shared help window with the keyword search focused and,
    /// when `words` is not empty, its results listed.
    static void ShowHelpSearch(QWidget* parent, const QString& words = {});
    /// The shared window, or nullptr before the first call or after it closed.
    static THelpViewer* Instance();

    explicit THelpViewer(QWidget* parent = nullptr);

    /// Shows the page of `topic`, or the contents when no page has it.
    void ShowTopic(int topic);
    /// The page shown now (never nullptr).
    const HelpPage& CurrentPage() const { return *current_; }

    /// Pages whose title or text holds every word of `words` (case does not
    /// matter), those with all words in the title first, the rest in
    /// contents order. No words: no pages.
    std::vector<const HelpPage*> Search(const QString& words) const;
    /// Puts `words` into the search box and lists the pages found.
    void SetSearchText(const QString& words);

    /// The plain text of a page, as the search sees it.
    static QString PageText(const HelpPage& page);
    /// The HTML source of a page; empty when the resource is missing.
    static QString PageSource(const HelpPage& page);
    /// The address a page is shown from (qrc:/help/<file>).
    static QUrl PageUrl(const HelpPage& page);

    QTextBrowser* browser() const { return browser_; }
    QLineEdit* searchBox() const { return search_; }
    QListWidget* pageList() const { return list_; }

private:
    void ShowPage(const HelpPage& page, const QString& highlight = {});
    void SourceChanged(const QUrl& url);
    void FillList();
    void ListItemChosen(QListWidgetItem* item);
    void SelectCurrentInList();

    struct IndexedPage {
        const HelpPage* Page;
        QString Title; // lower case
        QString Text;  // lower case
    };
    std::vector<IndexedPage> index_;
    const HelpPage* current_ = nullptr;

    QTextBrowser* browser_ = nullptr;
    QLineEdit* search_ = nullptr;
    QLabel* listCaption_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
    bool filling_ = false;
};
