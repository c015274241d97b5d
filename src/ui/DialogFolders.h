#pragma once

// Where the editors' open and save dialogs start, and what their name field
// holds: the folder of the file in hand; else the folder last used with a
// dialog of the same kind (files of the same default extension), remembered
// across runs in the editor's settings; else the user's documents folder
// (the home folder where there is none). Never the program's own folder or
// the directory the program was started from. The name field holds the
// file's name alone, selected, so that typing replaces it; empty for an
// unnamed document.
//
// Settings: QSettings of the organisation and application "oravelt", key
// "folders/EXT" (EXT the dialog's default extension, or its object name when
// it has none). A folder that no longer exists is passed over.

#include <QString>

class QFileDialog;

namespace DialogFolders {

// The folder a dialog of `kind` starts in for `fileInHand` (empty: none).
QString startFolder(const QString &fileInHand, const QString &kind);

// The kind of a dialog: its default extension, or its object name.
QString kindOf(const QFileDialog &dialog);

// Remembers the folder of `chosenPath` for dialogs of `kind`.
void remember(const QString &chosenPath, const QString &kind);

// Runs `dialog` (Dialogs::runFileDialog) starting as described above and
// remembers the folder of the path chosen. The chosen path, or empty when
// the dialog was cancelled.
QString run(QFileDialog &dialog, const QString &fileInHand);

} // namespace DialogFolders
