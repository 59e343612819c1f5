#include "gui/TCheckListForm.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "workflow/pair_selection.h"

TCheckListForm::TCheckListForm(const QString& title, const QStringList& items, const std::vector<bool>& checked,
                               bool allButtons, Accept accept, QWidget* parent)
    : QDialog(parent), m_accept(std::move(accept)) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QListWidgetItem(items[i], m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(i < static_cast<int>(checked.size()) && checked[i] ? Qt::Checked : Qt::Unchecked);
    }
    m_list->setMinimumWidth(280);
    layout->addWidget(m_list);
    if (allButtons) {
        auto* row = new QHBoxLayout;
        m_selectAll = new QPushButton(QString::fromLatin1(vextal::SelectAllPairsCaption), this);
        m_deselectAll = new QPushButton(QString::fromLatin1(vextal::DeselectAllPairsCaption), this);
        connect(m_selectAll, &QPushButton::clicked, this,
                [this] { setChecks(std::vector<bool>(m_list->count(), true)); });
        connect(m_deselectAll, &QPushButton::clicked, this,
                [this] { setChecks(std::vector<bool>(m_list->count(), false)); });
        row->addWidget(m_selectAll);
        row->addWidget(m_deselectAll);
        row->addStretch(1);
        layout->addLayout(row);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TCheckListForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    showMessage = [this](const QString& text) {
        QMessageBox::information(this, QStringLiteral("Corvanta Vextal"), text);
    };
}

std::vector<bool> TCheckListForm::checks() const {
    std::vector<bool> result;
    for (int i = 0; i < m_list->count(); ++i) result.push_back(m_list->item(i)->checkState() == Qt::Checked);
    return result;
}

void TCheckListForm::setChecks(const std::vector<bool>& checks) {
    for (int i = 0; i < m_list->count() && i < static_cast<int>(checks.size()); ++i)
        m_list->item(i)->setCheckState(checks[i] ? Qt::Checked : Qt::Unchecked);
}

void TCheckListForm::accept() {
    const std::string message = m_accept ? m_accept(checks()) : std::string();
    if (!message.empty()) {
        m_lastMessage = QString::fromStdString(message);
        if (showMessage) showMessage(m_lastMessage);
        return;
    }
    QDialog::accept();
}
