#include "Dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QInputDialog>

namespace Dialogs {

namespace {
MessageHook &messageHook()
{
    static MessageHook hook;
    return hook;
}
FileDialogHook &fileDialogHook()
{
    static FileDialogHook hook;
    return hook;
}
TextHook &textHook()
{
    static TextHook hook;
    return hook;
}
} // namespace

void setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}

void setFileDialogHook(FileDialogHook hook)
{
    fileDialogHook() = std::move(hook);
}

void setTextHook(TextHook hook)
{
    textHook() = std::move(hook);
}

QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                    const QString &text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton)
{
    if (messageHook())
        return messageHook()(MessageRequest{icon, caption, text, buttons, parent});
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    if (buttons & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    const QMessageBox::StandardButton answer = box.standardButton(box.clickedButton());
    if (answer == QMessageBox::NoButton && (buttons & QMessageBox::Cancel))
        return QMessageBox::Cancel;
    return answer;
}

void closeCompletions(QDialog &dialog)
{
    // Enter pressed while the name field's completion list is open reaches
    // the field through the list and accepts the dialog; the list hides
    // itself only once its field has lost the focus. Under a window manager
    // the field of the hidden dialog keeps the focus until the manager
    // activates the next window, which the list's keyboard grab holds up:
    // the list would stay on screen over the editor and take its keys
    // until a mouse click. Closing it and taking the focus from the field
    // (so that no late answer of the file system model opens it again)
    // ends that.
    for (QCompleter *completer : dialog.findChildren<QCompleter *>()) {
        if (completer->popup())
            completer->popup()->hide();
    }
    if (QWidget *focus = QApplication::focusWidget(); focus && dialog.isAncestorOf(focus))
        focus->clearFocus();
}

QString runFileDialog(QFileDialog &dialog)
{
    if (fileDialogHook())
        return fileDialogHook()(dialog);
    const int result = dialog.exec();
    closeCompletions(dialog);
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &label, const QString &text)
{
    if (textHook())
        return textHook()(TextRequest{caption, label, text});
    bool accepted = false;
    const QString entered = QInputDialog::getText(parent, caption, label, QLineEdit::Normal, text, &accepted);
    if (!accepted)
        return std::nullopt;
    return entered;
}

} // namespace Dialogs
