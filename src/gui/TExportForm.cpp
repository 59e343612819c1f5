#include "gui/TExportForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

TExportForm::TExportForm(char decimalSeparator, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Export"));
    auto* layout = new QVBoxLayout(this);

    auto* arrangement = new QGroupBox(QStringLiteral("Arrangement"), this);
    auto* arrangementLayout = new QVBoxLayout(arrangement);
    m_standard = new QRadioButton(QStringLiteral("Standard format. Export the table as it appears here."), arrangement);
    m_index = new QRadioButton(
        QStringLiteral("Index format. Export ALL values into column 1 and export column # as column 2."), arrangement);
    m_standard->setChecked(true);
    arrangementLayout->addWidget(m_standard);
    arrangementLayout->addWidget(m_index);
    layout->addWidget(arrangement);

    auto* titles = new QGroupBox(QStringLiteral("Titles"), this);
    auto* titlesLayout = new QVBoxLayout(titles);
    m_sheetTitle = new QCheckBox(QStringLiteral("Include the sheet title as the first row."), titles);
    m_columnTitles = new QCheckBox(QStringLiteral("Include column titles."), titles);
    m_sheetTitle->setChecked(true);
    m_columnTitles->setChecked(true);
    titlesLayout->addWidget(m_sheetTitle);
    titlesLayout->addWidget(m_columnTitles);
    layout->addWidget(titles);

    auto* separator = new QGroupBox(QStringLiteral("Decimal separator"), this);
    auto* separatorLayout = new QVBoxLayout(separator);
    m_period = new QRadioButton(QStringLiteral("Period"), separator);
    m_comma = new QRadioButton(QStringLiteral("Comma"), separator);
    (decimalSeparator == ',' ? m_comma : m_period)->setChecked(true);
    separatorLayout->addWidget(m_period);
    separatorLayout->addWidget(m_comma);
    layout->addWidget(separator);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

vextal::ExportOptions TExportForm::options() const {
    vextal::ExportOptions options;
    options.IndexFormat = m_index->isChecked();
    options.WithTitle = m_sheetTitle->isChecked();
    options.WithColumnTitles = m_columnTitles->isChecked();
    options.DecimalSeparator = decimalSeparator();
    return options;
}

char TExportForm::decimalSeparator() const { return m_comma->isChecked() ? ',' : '.'; }
