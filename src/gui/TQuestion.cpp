#include "gui/TQuestion.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

bool askYesNo(QWidget* parent, const QString& text, bool defaultNo) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Corvanta Vextal"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int askChoice(QWidget* parent, const QString& caption, const QStringList& items, const QString& hint) {
    QDialog dialog(parent);
    dialog.setWindowTitle(caption.trimmed());
    auto* layout = new QVBoxLayout(&dialog);
    auto* group = new QButtonGroup(&dialog);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], &dialog);
        radio->setChecked(i == 0);
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    if (!hint.isEmpty()) {
        auto* label = new QLabel(hint, &dialog);
        label->setWordWrap(true);
        label->setMaximumWidth(320);
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted ? group->checkedId() : -1;
}
