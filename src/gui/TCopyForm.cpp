#include "gui/TCopyForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QVBoxLayout>

TCopyForm::TCopyForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Copy to clipboard"));
    auto* layout = new QVBoxLayout(this);
    m_rowTitles = new QCheckBox(QStringLiteral("Include &row titles"), this);
    m_columnTitles = new QCheckBox(QStringLiteral("Include &column titles"), this);
    m_columnTitles->setChecked(true);
    layout->addWidget(m_rowTitles);
    layout->addWidget(m_columnTitles);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool TCopyForm::includeRowTitles() const { return m_rowTitles->isChecked(); }

bool TCopyForm::includeColumnTitles() const { return m_columnTitles->isChecked(); }
