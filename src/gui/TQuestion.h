// Yes/No questions and choices the windows put to the user. Each window
// holds the hooks below so that tests can answer without a modal box.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

/// Asks a Yes/No question; true for Yes. `defaultNo` preselects No.
using YesNoHook = std::function<bool(const QString& text, bool defaultNo)>;
/// Offers a list of choices; returns the index taken, or -1 for Cancel.
using ChoiceHook = std::function<int(const QString& caption, const QStringList& items, const QString& hint)>;

/// The message box the program asks with, captioned "Corvanta Vextal".
bool askYesNo(QWidget* parent, const QString& text, bool defaultNo);
/// A small dialog with one radio button per item and OK / Cancel.
int askChoice(QWidget* parent, const QString& caption, const QStringList& items, const QString& hint);
