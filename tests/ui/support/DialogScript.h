#pragma once

// Answers the message boxes and file dialogs of a test in order, the way the
// operator would, and records what was asked.

#include "ui/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

class DialogScript {
public:
    DialogScript();
    ~DialogScript();

    // The next message box is answered with `button`.
    void answer(QMessageBox::StandardButton button) { m_answers.enqueue(button); }
    // The next file dialog returns `path` (empty: cancelled).
    void choose(const QString &path) { m_paths.enqueue(path); }
    // The next text dialog is answered with `text` (none queued: cancelled).
    void type(const QString &text) { m_texts.enqueue(text); }

    QList<Dialogs::MessageRequest> messages;
    QStringList fileDialogs;  // object names of the dialogs shown ("od", "sd")
    QStringList filters;      // their name filters
    QStringList folders;      // the folders they started in
    QStringList names;        // what their name fields held
    QList<Dialogs::TextRequest> texts;

private:
    QQueue<QMessageBox::StandardButton> m_answers;
    QQueue<QString> m_paths;
    QQueue<QString> m_texts;
};
