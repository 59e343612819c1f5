// The Select Columns and Select Pairs dialogs of the Choose Test step: a
// list of check boxes, OK and Cancel, and for pairs the Select All and
// Deselect all buttons. OK asks the caller whether the checks can be
// stored; a refusal shows its message and keeps the dialog open.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

class TCheckListForm : public QDialog {
    Q_OBJECT

public:
    /// Stores the checks; returns an empty text when accepted, else the
    /// message to show.
    using Accept = std::function<std::string(const std::vector<bool>& checks)>;

    TCheckListForm(const QString& title, const QStringList& items, const std::vector<bool>& checked,
                   bool allButtons, Accept accept, QWidget* parent = nullptr);

    std::vector<bool> checks() const;
    void setChecks(const std::vector<bool>& checks);
    QListWidget* list() const { return m_list; }
    QPushButton* selectAllButton() const { return m_selectAll; }
    QPushButton* deselectAllButton() const { return m_deselectAll; }

    /// The message shown by the last refused OK (tests read it).
    QString lastMessage() const { return m_lastMessage; }
    /// Shows refusals in a message box unless a test replaced it.
    std::function<void(const QString&)> showMessage;

    void accept() override;

private:
    QListWidget* m_list = nullptr;
    QPushButton* m_selectAll = nullptr;
    QPushButton* m_deselectAll = nullptr;
    Accept m_accept;
    QString m_lastMessage;
};
