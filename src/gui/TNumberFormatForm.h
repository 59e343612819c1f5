// The Number Format dialog: automatic decimals, or a fixed number of digits
// after the decimal point, for the columns its label names.
#pragma once

#include <QDialog>

#include <optional>

#include "data/number_format_rules.h"

class QLabel;
class QRadioButton;
class QSpinBox;

class TNumberFormatForm : public QDialog {
    Q_OBJECT

public:
    TNumberFormatForm(const vextal::NumberFormatDialogState& state, QWidget* parent = nullptr);

    /// AutomaticFormat, or the fixed number of decimals 0..12.
    int setting() const;

    QLabel* columnsLabel() const { return m_label; }
    QRadioButton* automaticChoice() const { return m_automatic; }
    QRadioButton* fixedChoice() const { return m_fixed; }
    QSpinBox* decimalsField() const { return m_decimals; }

    /// Shows the dialog; the chosen setting, or nullopt when cancelled.
    static std::optional<int> ask(QWidget* parent, const vextal::NumberFormatDialogState& state);

private:
    QLabel* m_label = nullptr;
    QRadioButton* m_automatic = nullptr;
    QRadioButton* m_fixed = nullptr;
    QSpinBox* m_decimals = nullptr;
};
