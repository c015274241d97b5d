#include "SaveCycle.h"

#include "Dialogs.h"

bool SaveCycle::querySave()
{
    if (!m_editor.isModified())
        return true;
    const QMessageBox::StandardButton answer
        = Dialogs::message(m_editor.window, QMessageBox::Question, m_editor.questionCaption, m_editor.questionText,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    switch (answer) {
    case QMessageBox::Cancel: return false;
    case QMessageBox::Yes: return save();
    case QMessageBox::No:
        if (m_editor.dropChanges)
            m_editor.dropChanges();
        return true;
    default: return true;
    }
}

bool SaveCycle::save()
{
    if (m_fileName.isEmpty())
        return saveAs();
    return m_editor.write(m_fileName);
}

bool SaveCycle::saveAs()
{
    const QString chosen = m_editor.chooseFileName();
    if (chosen.isEmpty())
        return false;
    if (!m_editor.write(chosen))
        return false;
    m_fileName = chosen;
    if (m_editor.renamed)
        m_editor.renamed();
    return true;
}
