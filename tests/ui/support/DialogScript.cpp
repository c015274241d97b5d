#include "DialogScript.h"

#include <QLineEdit>

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
        folders.append(dialog.directory().absolutePath());
        const auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        names.append(field ? field->text() : QString());
        return m_paths.isEmpty() ? QString() : m_paths.dequeue();
    });
    Dialogs::setTextHook([this](const Dialogs::TextRequest &request) -> std::optional<QString> {
        texts.append(request);
        if (m_texts.isEmpty())
            return std::nullopt;
        return m_texts.dequeue();
    });
}

DialogScript::~DialogScript()
{
    Dialogs::setMessageHook({});
    Dialogs::setFileDialogHook({});
    Dialogs::setTextHook({});
}
