#include "gui/TNumberFormatForm.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace vextal;

namespace {
QString fromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
}  // namespace

TNumberFormatForm::TNumberFormatForm(const NumberFormatDialogState& state, QWidget* parent) : QDialog(parent) {
    setWindowTitle(fromView(NumberFormatCaption));
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(QString::fromStdString(state.Label), this);
    layout->addWidget(m_label);

    m_automatic = new QRadioButton(fromView(AutomaticDecimalsText), this);
    layout->addWidget(m_automatic);

    auto* fixedRow = new QHBoxLayout;
    m_fixed = new QRadioButton(fromView(FixedDecimalsTextBefore).trimmed(), this);
    m_decimals = new QSpinBox(this);
    m_decimals->setRange(0, MaxFixedDecimals);
    m_decimals->setValue(std::clamp(state.Decimals, 0, MaxFixedDecimals));
    fixedRow->addWidget(m_fixed);
    fixedRow->addWidget(m_decimals);
    fixedRow->addWidget(new QLabel(fromView(FixedDecimalsTextAfter), this));
    fixedRow->addStretch(1);
    layout->addLayout(fixedRow);

    (state.Fixed ? m_fixed : m_automatic)->setChecked(true);
    // Changing the number means the fixed choice.
    connect(m_decimals, &QSpinBox::valueChanged, this, [this] { m_fixed->setChecked(true); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int TNumberFormatForm::setting() const { return m_fixed->isChecked() ? m_decimals->value() : AutomaticFormat; }

std::optional<int> TNumberFormatForm::ask(QWidget* parent, const NumberFormatDialogState& state) {
    TNumberFormatForm form(state, parent);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return form.setting();
}
