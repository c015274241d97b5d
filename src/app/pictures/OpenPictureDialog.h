#pragma once

// The graphic editor's open dialog: a file dialog with a preview pane that
// shows the selected file as the editor would open it (4 bits, 8 rows, at
// twice its size), or why it would not open. Qt's own dialog is used, not
// the desktop's, since only it can carry the pane.

#include <QFileDialog>

class QLabel;

class OpenPictureDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit OpenPictureDialog(QWidget *parent = nullptr);

    // The pane's picture and text for `fileName` (empty: nothing selected).
    void showPreview(const QString &fileName);
    QString previewText() const;

private:
    QLabel *m_picture = nullptr;
    QLabel *m_text = nullptr;
};
