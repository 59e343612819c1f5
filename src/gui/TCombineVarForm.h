// The "Combine Variables" dialog of the data grid and the command around it:
// the target column, the two source lists and the operation.
#pragma once

#include <QDialog>

#include <functional>

#include "data/combine_variables.h"
#include "data/data_document.h"
#include "data/io_error.h"

class QButtonGroup;
class QLabel;
class QListWidget;

class TCombineVarForm : public QDialog {
    Q_OBJECT

public:
    /// The dialog for filling `targetColumn` (0..25) from the columns of
    /// `table` that hold raw values.
    TCombineVarForm(const vextal::DataTable& table, int targetColumn, QWidget* parent = nullptr);

    QLabel* prompt() const { return m_prompt; }
    QListWidget* firstList() const { return m_first; }
    QListWidget* secondList() const { return m_second; }
    QButtonGroup* operations() const { return m_operations; }

    /// The columns chosen in the two lists (-1 when a list is empty).
    int firstColumn() const;
    int secondColumn() const;
    vextal::CombineOperation operation() const;
    void setOperation(vextal::CombineOperation operation);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<int> m_columns;
    QLabel* m_prompt = nullptr;
    QListWidget* m_first = nullptr;
    QListWidget* m_second = nullptr;
    QButtonGroup* m_operations = nullptr;
};

/// Shows the form and returns true for OK (modal in the program; tests fill
/// it in and accept).
using CombineDialogHook = std::function<bool(TCombineVarForm&)>;

/// Data > Combine Variables. `currentColumn` is the grid's current data
/// column. An empty document shows "You must enter data first."; otherwise
/// `commitPendingEdit` (when given) stores the cell being edited, and a
/// document without a free column shows its message. Messages go through
/// `sink` (a box captioned "Corvanta Vextal" by default) and open no dialog.
/// True when the document changed: the caller then refills the grid and
/// tells the window.
bool RunCombineDialog(QWidget* parent, vextal::DataDocument& document, int currentColumn,
                      const std::function<void()>& commitPendingEdit = {},
                      const vextal::MessageSink& sink = {}, const CombineDialogHook& dialog = {});
