// The "Export" dialog of the data grid: standard or index arrangement, the
// title lines, and the decimal separator (preset from the program's export
// setting; decimalSeparator() is what the caller stores back).
#pragma once

#include <QDialog>

#include "data/export_file.h"

class QCheckBox;
class QRadioButton;

class TExportForm : public QDialog {
    Q_OBJECT

public:
    explicit TExportForm(char decimalSeparator, QWidget* parent = nullptr);

    vextal::ExportOptions options() const;
    /// "." or "," as chosen.
    char decimalSeparator() const;

    QRadioButton* standardButton() const { return m_standard; }
    QRadioButton* indexButton() const { return m_index; }
    QCheckBox* sheetTitleBox() const { return m_sheetTitle; }
    QCheckBox* columnTitlesBox() const { return m_columnTitles; }
    QRadioButton* periodButton() const { return m_period; }
    QRadioButton* commaButton() const { return m_comma; }

private:
    QRadioButton* m_standard = nullptr;
    QRadioButton* m_index = nullptr;
    QCheckBox* m_sheetTitle = nullptr;
    QCheckBox* m_columnTitles = nullptr;
    QRadioButton* m_period = nullptr;
    QRadioButton* m_comma = nullptr;
};
