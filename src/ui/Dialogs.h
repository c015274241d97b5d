#pragma once

// Message boxes and file dialogs of the windows go through here, so that a
// test can answer them the way an operator would: a hook, when set, receives
// the request (the real QFileDialog, configured, for file dialogs) instead of
// the dialog being shown.

#include <QFileDialog>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <optional>

namespace Dialogs {

struct MessageRequest {
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
    QWidget *parent = nullptr;  // the box's owner
};

struct TextRequest {
    QString caption;
    QString label;
    QString text;  // what the field holds when the dialog opens
};

using MessageHook = std::function<QMessageBox::StandardButton(const MessageRequest &)>;
// Returns the text entered, or nullopt for a cancelled dialog.
using TextHook = std::function<std::optional<QString>(const TextRequest &)>;
// Returns the chosen path, or an empty string for a cancelled dialog.
using FileDialogHook = std::function<QString(QFileDialog &)>;

void setMessageHook(MessageHook hook);
void setFileDialogHook(FileDialogHook hook);
void setTextHook(TextHook hook);

// Shows a message box; Esc (or closing it) answers Cancel when the box has
// that button. Returns the button pressed.
QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                    const QString &text,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Runs a file dialog; the chosen path, or empty when cancelled. No
// completion list of its name field outlives it.
QString runFileDialog(QFileDialog &dialog);

// Closes the completion lists of a dialog's fields and takes the focus from
// them, once the dialog is closed.
void closeCompletions(QDialog &dialog);

// Asks for one line of text; nullopt when cancelled.
std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &label, const QString &text);

} // namespace Dialogs
