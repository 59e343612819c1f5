// The "Import" dialog: a preview of the parsed text file and the choices of
// what to take from it (all columns, a range of columns, or values grouped
// by an identifier column; a range of rows; a filter on one column). The
// preview belongs to the caller, who runs the import on OK.
#pragma once

#include <QDialog>

#include <functional>

#include "data/number_settings.h"
#include "data/text_import.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTableView;

class TImportForm : public QDialog {
    Q_OBJECT

public:
    /// Shows `preview` (which must outlive the dialog) under "Preview of "
    /// + `fileName`; the filter value is read with `settings`.
    TImportForm(const vextal::ImportPreview& preview, const QString& fileName,
                const vextal::NumberSettings& settings, QWidget* parent = nullptr);

    /// The choices as 0-based preview indexes.
    vextal::ImportOptions options() const;

    /// Shows a message and leaves the dialog open (a message box by default).
    void setMessageHook(std::function<void(const QString&)> hook) { m_message = std::move(hook); }

    /// OK: refuses equal value and group columns of the indexed layout.
    void accept() override;

    QGroupBox* previewGroup() const { return m_previewGroup; }
    QTableView* previewGrid() const { return m_previewGrid; }
    QRadioButton* allColumnsButton() const { return m_allColumns; }
    QRadioButton* columnRangeButton() const { return m_columnRange; }
    QRadioButton* indexedButton() const { return m_indexed; }
    QSpinBox* fromColumnBox() const { return m_fromColumn; }
    QSpinBox* toColumnBox() const { return m_toColumn; }
    QSpinBox* valueColumnBox() const { return m_valueColumn; }
    QSpinBox* groupColumnBox() const { return m_groupColumn; }
    QCheckBox* rowRangeBox() const { return m_rowRange; }
    QSpinBox* fromRowBox() const { return m_fromRow; }
    QSpinBox* toRowBox() const { return m_toRow; }
    QCheckBox* filterBox() const { return m_filter; }
    QSpinBox* filterColumnBox() const { return m_filterColumn; }
    QComboBox* conditionBox() const { return m_condition; }
    QLineEdit* filterValueEdit() const { return m_filterValue; }

private:
    vextal::NumberSettings m_settings;
    std::function<void(const QString&)> m_message;

    QGroupBox* m_previewGroup = nullptr;
    QTableView* m_previewGrid = nullptr;
    QRadioButton* m_allColumns = nullptr;
    QRadioButton* m_columnRange = nullptr;
    QRadioButton* m_indexed = nullptr;
    QSpinBox* m_fromColumn = nullptr;
    QSpinBox* m_toColumn = nullptr;
    QSpinBox* m_valueColumn = nullptr;
    QSpinBox* m_groupColumn = nullptr;
    QCheckBox* m_rowRange = nullptr;
    QSpinBox* m_fromRow = nullptr;
    QSpinBox* m_toRow = nullptr;
    QCheckBox* m_filter = nullptr;
    QSpinBox* m_filterColumn = nullptr;
    QComboBox* m_condition = nullptr;
    QLineEdit* m_filterValue = nullptr;
};
