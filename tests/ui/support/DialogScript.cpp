#include "DialogScript.h"

DialogScript::DialogScript()
{
    Dialogs::setMessageHook([this](const Dialogs::MessageRequest &request) {
        messages.append(request);
        if (m_answers.isEmpty())
            return (request.buttons & QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
        return m_answers.dequeue();
    });
    Dialogs::setFileDialogHook([this](QFileDialog &dialog) {
        fileDialogs.append(dialog.objectName());
        filters.append(dialog.nameFilters().join(u';'));
        return m_paths.isEmpty() ? QString() : m_paths.dequeue();
    });
}

DialogScript::~DialogScript()
{
    Dialogs::setMessageHook({});
    Dialogs::setFileDialogHook({});
}
