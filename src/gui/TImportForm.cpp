#include "gui/TImportForm.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "data/cell_entry.h"
#include "data/cell_format.h"

using namespace vextal;

namespace {

// Read-only view of the preview table: rows 1..1000, columns 1..26, each
// value with its column's decimals.
class PreviewModel : public QAbstractTableModel {
public:
    PreviewModel(const DataTable& table, QObject* parent) : QAbstractTableModel(parent), m_table(table) {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : UserRowCount; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : DataColumnCount; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        const long double value = RawValue(m_table, index.row(), index.column());
        return QString::fromStdString(FormatGridCell(value, m_table.AutoDecimals[index.column()]));
    }

    QVariant headerData(int section, Qt::Orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return QString::number(section + 1);
    }

private:
    const DataTable& m_table;
};

QSpinBox* numberField(int maximum, int value, QWidget* parent) {
    auto* field = new QSpinBox(parent);
    field->setRange(1, maximum);
    field->setValue(value);
    return field;
}

}  // namespace

TImportForm::TImportForm(const ImportPreview& preview, const QString& fileName, const NumberSettings& settings,
                         QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setWindowTitle(QStringLiteral("Import"));
    m_message = [this](const QString& text) { QMessageBox::information(this, QStringLiteral("Corvanta Vextal"), text); };
    const DataTable& table = preview.Table;
    const int columns = table.LastColumn + 1;
    const int rows = table.LastRow + 1;

    auto* layout = new QVBoxLayout(this);
    m_previewGroup = new QGroupBox(QStringLiteral("Preview of ") + fileName, this);
    auto* previewLayout = new QVBoxLayout(m_previewGroup);
    m_previewGrid = new QTableView(m_previewGroup);
    m_previewGrid->setModel(new PreviewModel(table, m_previewGrid));
    m_previewGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_previewGrid->verticalHeader()->setDefaultSectionSize(19);
    previewLayout->addWidget(m_previewGrid);
    layout->addWidget(m_previewGroup, 1);

    auto* grid = new QGridLayout;
    m_allColumns = new QRadioButton(QStringLiteral("Import all columns"), this);
    m_columnRange = new QRadioButton(QStringLiteral("Import range of columns. From: "), this);
    m_indexed = new QRadioButton(QStringLiteral("Import data only from column:"), this);
    m_allColumns->setChecked(true);
    m_fromColumn = numberField(columns, 1, this);
    m_toColumn = numberField(columns, columns, this);
    m_valueColumn = numberField(columns, 1, this);
    m_groupColumn = numberField(columns, 2, this);
    m_rowRange = new QCheckBox(QStringLiteral("Import range of rows. From: "), this);
    m_fromRow = numberField(rows, 1, this);
    m_toRow = numberField(rows, rows, this);
    m_filter = new QCheckBox(QStringLiteral("Only import rows where column"), this);
    m_filterColumn = numberField(columns, 1, this);
    m_condition = new QComboBox(this);
    for (FilterCondition condition : {FilterCondition::Equal, FilterCondition::Greater, FilterCondition::GreaterOrEqual,
                                      FilterCondition::Less, FilterCondition::LessOrEqual, FilterCondition::NotEqual})
        m_condition->addItem(QString::fromLatin1(FilterConditionText(condition)), static_cast<int>(condition));
    m_filterValue = new QLineEdit(this);

    grid->addWidget(m_allColumns, 0, 0, 1, 4);
    grid->addWidget(m_columnRange, 1, 0);
    grid->addWidget(m_fromColumn, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("To:"), this), 1, 2);
    grid->addWidget(m_toColumn, 1, 3);
    grid->addWidget(m_indexed, 2, 0);
    grid->addWidget(m_valueColumn, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Import group identifier from column:"), this), 2, 2);
    grid->addWidget(m_groupColumn, 2, 3);
    grid->addWidget(m_rowRange, 3, 0);
    grid->addWidget(m_fromRow, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("To:"), this), 3, 2);
    grid->addWidget(m_toRow, 3, 3);
    grid->addWidget(m_filter, 4, 0);
    grid->addWidget(m_filterColumn, 4, 1);
    grid->addWidget(m_condition, 4, 2);
    grid->addWidget(m_filterValue, 4, 3);
    layout->addLayout(grid);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TImportForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // Typing in a field chooses its option; the indexed layout takes every
    // row, unfiltered.
    auto chooses = [this](QSpinBox* field, QAbstractButton* option) {
        connect(field, &QSpinBox::valueChanged, option, [option] { option->setChecked(true); });
    };
    chooses(m_fromColumn, m_columnRange);
    chooses(m_toColumn, m_columnRange);
    chooses(m_valueColumn, m_indexed);
    chooses(m_groupColumn, m_indexed);
    chooses(m_fromRow, m_rowRange);
    chooses(m_toRow, m_rowRange);
    chooses(m_filterColumn, m_filter);
    connect(m_condition, &QComboBox::currentIndexChanged, m_filter, [this] { m_filter->setChecked(true); });
    connect(m_filterValue, &QLineEdit::textEdited, m_filter, [this] { m_filter->setChecked(true); });
    connect(m_indexed, &QRadioButton::toggled, this, [this](bool on) {
        if (!on) return;
        m_rowRange->setChecked(false);
        m_filter->setChecked(false);
    });
    resize(640, 520);
}

ImportOptions TImportForm::options() const {
    ImportOptions options;
    options.Arrangement = m_indexed->isChecked()       ? ImportArrangement::Indexed
                          : m_columnRange->isChecked() ? ImportArrangement::ColumnRange
                                                       : ImportArrangement::AllColumns;
    options.FirstColumn = m_fromColumn->value() - 1;
    options.LastColumn = m_toColumn->value() - 1;
    options.RowRange = m_rowRange->isChecked();
    options.FirstRow = m_fromRow->value() - 1;
    options.LastRow = m_toRow->value() - 1;
    options.Filter = m_filter->isChecked();
    options.FilterColumn = m_filterColumn->value() - 1;
    options.Condition = static_cast<FilterCondition>(m_condition->currentData().toInt());
    long double typed = 0;
    if (!ParseNumber(m_filterValue->text().toStdString(), m_settings, typed)) typed = 0;
    options.FilterValue = typed;
    options.ValueColumn = m_valueColumn->value() - 1;
    options.GroupColumn = m_groupColumn->value() - 1;
    return options;
}

void TImportForm::accept() {
    if (m_indexed->isChecked() && m_valueColumn->value() == m_groupColumn->value()) {
        if (m_message) m_message(QString::fromLatin1(SameImportColumnsMessage));
        return;
    }
    QDialog::accept();
}
