// The "Transform" dialog of the data grid and the command around it: the
// list of transforms, the K field, and the two passes over the selection
// with the question before impossible values are erased.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>

#include "data/data_document.h"
#include "data/grid_selection.h"
#include "data/number_settings.h"
#include "data/transforms.h"
#include "gui/TQuestion.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;

class TTransformForm : public QDialog {
    Q_OBJECT

public:
    explicit TTransformForm(const vextal::NumberSettings& settings, QWidget* parent = nullptr);

    QListWidget* transformList() const { return m_list; }
    QLineEdit* kEdit() const { return m_k; }
    QLabel* kLabel() const { return m_kLabel; }
    QDialogButtonBox* buttons() const { return m_buttons; }

    vextal::Transform transform() const;
    /// Selects an entry; the K field follows its rule.
    void setTransform(vextal::Transform transform);
    /// K as typed, or nullopt when the text is no number.
    std::optional<long double> k() const;

private:
    void entryChanged(int row);
    void updateOkButton();

    vextal::NumberSettings m_settings;
    QListWidget* m_list = nullptr;
    QLabel* m_kLabel = nullptr;
    QLineEdit* m_k = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

/// Shows the form and returns true for OK. The program runs it modally;
/// tests fill it in and accept.
using TransformDialogHook = std::function<bool(TTransformForm&)>;

/// Data > Transform. `selection` is the grid's selection in data
/// coordinates (the current cell when nothing else is selected); commit a
/// pending cell edit before calling. While each pass runs, `parent` is
/// disabled and the hourglass shows. True when the document changed: the
/// caller then refills the grid from the document and tells the window.
bool RunTransformDialog(QWidget* parent, vextal::DataDocument& document,
                        const vextal::NumberSettings& settings, const vextal::GridSelection& selection,
                        const YesNoHook& ask = {}, const TransformDialogHook& dialog = {});
