#pragma once

// Ask before dropping changes, Save and Save As: the one cycle both editors
// go through (the main window's source files, the graphic editor's
// pictures). The editor says how its document is written and how a new name
// is chosen; the cycle decides when.
//
// The file name is the window's own; the cycle changes it only once Save As
// has written the file, so a Save As that fails leaves the document the
// previous file's, and Save goes on writing there.
//
// Errors: `write` reports its own failure to the operator and returns false;
// the document then stays modified.

#include <QString>

#include <functional>

class QWidget;

class SaveCycle {
public:
    struct Editor {
        QWidget *window = nullptr;         // the question's parent
        QString questionCaption;
        QString questionText;
        std::function<bool()> isModified;
        // The operator answered No: the changes may go (may be empty).
        std::function<void()> dropChanges;
        // Writes the document to the file and marks it unmodified.
        std::function<bool(const QString &fileName)> write;
        // The Save As dialog: the file chosen, empty when cancelled.
        std::function<QString()> chooseFileName;
        // The file name has changed (the caption follows it).
        std::function<void()> renamed;
    };

    SaveCycle(QString &fileName, Editor editor) : m_fileName(fileName), m_editor(std::move(editor)) {}

    // Asks whether to save a modified document first: Yes saves, No drops
    // the changes, Cancel refuses. Whether the caller may go on.
    bool querySave();
    // Writes to the current file, or asks for one when there is none.
    bool save();
    // Asks for a file and writes to it.
    bool saveAs();

private:
    QString &m_fileName;
    Editor m_editor;
};
