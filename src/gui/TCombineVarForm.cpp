#include "gui/TCombineVarForm.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace vextal;

namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QListWidget* ColumnList(const DataTable& table, const std::vector<int>& columns, QWidget* parent) {
    auto* list = new QListWidget(parent);
    for (int column : columns) list->addItem(QString::fromStdString(CombineColumnEntry(table, column)));
    if (list->count() > 0) list->setCurrentRow(0);
    list->setMinimumWidth(170);
    list->setMinimumHeight(list->sizeHintForRow(0) * 8 + 2 * list->frameWidth());
    return list;
}

int ColumnAt(const std::vector<int>& columns, const QListWidget* list) {
    const int row = list->currentRow();
    return row >= 0 && row < static_cast<int>(columns.size()) ? columns[static_cast<std::size_t>(row)] : -1;
}

}  // namespace

TCombineVarForm::TCombineVarForm(const DataTable& table, int targetColumn, QWidget* parent)
    : QDialog(parent), m_columns(CombineSourceColumns(table)) {
    setWindowTitle(ToQString(CombineCaption));

    m_prompt = new QLabel(QString::fromStdString(CombinePrompt(targetColumn)), this);
    m_first = ColumnList(table, m_columns, this);
    m_second = ColumnList(table, m_columns, this);

    auto* operationBox = new QGroupBox(this);
    auto* operationLayout = new QVBoxLayout(operationBox);
    m_operations = new QButtonGroup(this);
    for (int i = 0; i < CombineOperationCount; ++i) {
        auto* radio = new QRadioButton(ToQString(CombineOperationCaptions[static_cast<std::size_t>(i)]), operationBox);
        radio->installEventFilter(this);  // double-click is OK
        m_operations->addButton(radio, i);
        operationLayout->addWidget(radio);
    }
    setOperation(DefaultCombineOperation);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(m_first);
    row->addWidget(operationBox, 0, Qt::AlignVCenter);
    row->addWidget(m_second);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

int TCombineVarForm::firstColumn() const { return ColumnAt(m_columns, m_first); }
int TCombineVarForm::secondColumn() const { return ColumnAt(m_columns, m_second); }

CombineOperation TCombineVarForm::operation() const {
    const int id = m_operations->checkedId();
    return id >= 0 ? static_cast<CombineOperation>(id) : DefaultCombineOperation;
}

void TCombineVarForm::setOperation(CombineOperation operation) {
    if (QAbstractButton* button = m_operations->button(static_cast<int>(operation))) button->setChecked(true);
}

bool TCombineVarForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* button = qobject_cast<QAbstractButton*>(watched); button && m_operations->id(button) >= 0) {
            button->setChecked(true);
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool RunCombineDialog(QWidget* parent, DataDocument& document, int currentColumn,
                      const std::function<void()>& commitPendingEdit, const MessageSink& sink,
                      const CombineDialogHook& dialog) {
    const auto show = [&](const std::string& text) {
        if (sink) sink(ProgramCaption, text);
        else QMessageBox::information(parent, QString::fromUtf8(ProgramCaption), QString::fromStdString(text));
    };
    if (!HasData(document.Table)) {
        show(std::string(CombineNoDataMessage));
        return false;
    }
    if (commitPendingEdit) commitPendingEdit();
    const CombineTarget target = ChooseCombineTarget(document, currentColumn);
    if (target.Column < 0) {
        show(target.Message);
        return false;
    }
    TCombineVarForm form(document.Table, target.Column, parent);
    const bool accepted = dialog ? dialog(form) : form.exec() == QDialog::Accepted;
    if (!accepted || form.firstColumn() < 0 || form.secondColumn() < 0) return false;
    CombineVariables(document, form.firstColumn(), form.operation(), form.secondColumn(), target.Column);
    return true;
}
