#include "gui/TTransformForm.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/cell_entry.h"
#include "data/cell_format.h"

using namespace vextal;

namespace {

QString KText(long double k) { return QString::fromStdString(FormatExact(k)); }

// Disables a window and shows the hourglass for the life of the object.
class BusyScope {
public:
    explicit BusyScope(QWidget* window) : m_window(window) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (m_window) {
            m_wasEnabled = m_window->isEnabled();
            m_window->setEnabled(false);
        }
    }
    ~BusyScope() {
        if (m_window) m_window->setEnabled(m_wasEnabled);
        QApplication::restoreOverrideCursor();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QPointer<QWidget> m_window;
    bool m_wasEnabled = true;
};

}  // namespace

TTransformForm::TTransformForm(const NumberSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setWindowTitle(QStringLiteral("Transform"));

    m_list = new QListWidget(this);
    for (std::string_view entry : TransformEntries)
        m_list->addItem(QString::fromUtf8(entry.data(), static_cast<int>(entry.size())));
    m_list->setMinimumWidth(170);
    m_list->setMinimumHeight(m_list->sizeHintForRow(0) * TransformCount + 2 * m_list->frameWidth());

    m_kLabel = new QLabel(QString::fromUtf8(TransformKCaption.data(), static_cast<int>(TransformKCaption.size())), this);
    m_k = new QLineEdit(this);
    m_k->setMaximumWidth(120);
    m_kLabel->setBuddy(m_k);

    auto* hint = new QLabel(QString::fromUtf8(TransformHint.data(), static_cast<int>(TransformHint.size())), this);
    hint->setWordWrap(true);
    auto* undoHint = new QLabel(QString::fromUtf8(TransformUndoHint.data(), static_cast<int>(TransformUndoHint.size())), this);
    undoHint->setWordWrap(true);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* kRow = new QHBoxLayout;
    kRow->addWidget(m_kLabel);
    kRow->addWidget(m_k);
    kRow->addStretch();

    auto* right = new QVBoxLayout;
    right->addLayout(kRow);
    right->addWidget(hint);
    right->addWidget(undoHint);
    right->addStretch();
    right->addWidget(m_buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list);
    auto* rightPanel = new QWidget(this);
    rightPanel->setLayout(right);
    rightPanel->setFixedWidth(260);
    layout->addWidget(rightPanel);

    connect(m_list, &QListWidget::currentRowChanged, this, &TTransformForm::entryChanged);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (m_buttons->button(QDialogButtonBox::Ok)->isEnabled()) accept();
    });
    connect(m_k, &QLineEdit::textChanged, this, &TTransformForm::updateOkButton);

    setTransform(DefaultTransform);
    m_k->setText(KText(DefaultTransformK));
}

Transform TTransformForm::transform() const {
    const int row = m_list->currentRow();
    return static_cast<Transform>(row >= 0 && row < TransformCount ? row + 1 : static_cast<int>(DefaultTransform));
}

void TTransformForm::setTransform(Transform transform) {
    const int row = static_cast<int>(transform) - 1;
    if (m_list->currentRow() == row) entryChanged(row);
    else m_list->setCurrentRow(row);
}

std::optional<long double> TTransformForm::k() const {
    long double value = 0;
    if (!ParseNumber(m_k->text().toStdString(), m_settings, value)) return std::nullopt;
    return value;
}

void TTransformForm::entryChanged(int row) {
    if (row < 0 || row >= TransformCount) return;
    const KFieldRule rule = KRuleFor(static_cast<Transform>(row + 1));
    m_k->setEnabled(rule.Enabled);
    m_kLabel->setEnabled(rule.Enabled);
    if (rule.Enabled) m_k->setText(KText(rule.Value));
    updateOkButton();
}

void TTransformForm::updateOkButton() {
    // A K that is no number cannot be used; entries without K ignore it.
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!KRuleFor(transform()).Enabled || k().has_value());
}

bool RunTransformDialog(QWidget* parent, DataDocument& document, const NumberSettings& settings,
                        const GridSelection& selection, const YesNoHook& ask,
                        const TransformDialogHook& dialog) {
    TTransformForm form(settings, parent);
    const bool accepted = dialog ? dialog(form) : form.exec() == QDialog::Accepted;
    if (!accepted) return false;
    const Transform transform = form.transform();
    const long double k = KRuleFor(transform).Enabled ? form.k().value_or(0.0L) : 0.0L;

    TransformOutcome outcome;
    {
        BusyScope busy(parent);
        outcome = TransformSelection(document, selection, transform, k);
    }
    if (outcome.Question) {
        const QString text = QString::fromStdString(*outcome.Question);
        const bool yes = ask ? ask(text, true) : askYesNo(parent, text, true);
        if (!yes) return false;
        BusyScope busy(parent);
        outcome = TransformSelection(document, selection, transform, k, Answer::Yes);
    }
    return outcome.Changed;
}
