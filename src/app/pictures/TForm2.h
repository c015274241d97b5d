#pragma once

// The graphic editor window: draws pictures 8 pixels high in red and black,
// opens and saves them as bitmap files, and hands them to the main editor's
// document through its editor session (Insert, or a drag of the preview onto
// the text).
//
// It is created hidden at start-up and shown by the main window's graphic
// editor command; closing it only hides it. Each time it is shown it takes
// the bitmap picture at the document's caret, or starts a new picture.
//
// Ownership: the editor session outlives this window (start-up creates the
// main window first and destroys it last); the document's pictures are never shared with
// the picture edited here, each side keeps its own copy.
//
// Errors: file errors are shown in the application's standard error box;
// the picture, its file name, the modified flag, the status and the caption
// are then as they were before the command.

#include "imageeditor/PictureEditor.h"
#include "ui/SaveCycle.h"

#include <QMainWindow>

#include <optional>

class OpenPictureDialog;
class QFileDialog;
class QFrame;
class QLabel;
class QScrollArea;
class QSpinBox;
class QToolButton;
class EditorSession;
class TImage;
class WorkBitmapView;

class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    // `editor`: the document pictures come from and go to (none: Insert does
    // nothing and a new picture is started at every showing); the window is
    // placed beside the editor's window.
    explicit TForm2(EditorSession *editor, QWidget *parent = nullptr);
    ~TForm2() override;

    // ----- state
    const PictureEditor &model() const { return m_editor; }
    QString currentFileName() const { return m_fileName; }
    QString statusText(int panel) const;

    // ----- routines of the window
    bool QuerySavePicture();
    void NewPicture();
    void DrawGrid();
    void RedrawCells();
    bool SavePicture();
    bool SavePictureAs();
    void OpenPicture();
    void ImportPicture();

    // ----- controls (named after their role in the window's commands)
    QWidget *Panel6 = nullptr;
    QSpinBox *WidthTextEdit = nullptr;  // the width field with its spin control (UpDown1)
    QToolButton *btnNew = nullptr;
    QToolButton *btnLoad = nullptr;
    QToolButton *btnSave = nullptr;
    QToolButton *SpeedButton1 = nullptr;  // Save As
    QToolButton *btnInsert = nullptr;
    QToolButton *btnClose = nullptr;
    QScrollArea *ScrollBox2 = nullptr;
    TImage *PreviewImage = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    WorkBitmapView *WorkImage = nullptr;
    QWidget *Panel3 = nullptr;
    QFrame *SelectedColor = nullptr;
    QFrame *BackColor = nullptr;
    QFrame *redPanel = nullptr;
    QFrame *blackPanel = nullptr;
    QFileDialog *savepictdlg = nullptr;
    OpenPictureDialog *OpenPictureDlg = nullptr;
    QFileDialog *ImportPictureDlg = nullptr;

    QAction *action(const char *name) const;

public slots:
    void WorkImageMouseDown(Qt::MouseButton button, QPoint point);
    void WorkImageMouseMove(QPoint point);
    void WorkImageMouseUp();
    void redPanelMouseDown(QFrame *square, Qt::MouseButton button);
    void btnNewClick();
    void btnLoadClick();
    void btnSaveClick();
    void SpeedButton1Click();
    void btnInsertClick();
    void btnCloseClick();
    void mitImportClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();

    void buildCommandBar();
    void buildColourPanel();
    void buildMenu();
    void buildDialogs();
    void placeBesideMainWindow();
    // Sizes the preview and the work bitmap to the picture and repaints both.
    void fitToPicture();
    void showColours();
    void showModified();
    void setCaptionFor(const QString &fileName);
    SaveCycle::Editor saveCycleEditor();
    void repaintCell(const QRect &workRect);
    // The save prompt, a file dialog and the file read with `read`; nothing
    // when refused, cancelled or unreadable (the operator has been told).
    using PictureReader = bool (*)(const QString &fileName, QImage *image, QString *error);
    std::optional<QImage> askForPicture(QFileDialog &dialog, PictureReader read, QString *chosen);
    // Makes `image` the picture, under `fileName` (empty: unnamed).
    void takePicture(const QImage &image, const QString &fileName, bool modified);

    EditorSession *m_session = nullptr;
    PictureEditor m_editor;
    QString m_fileName;
    SaveCycle m_saveCycle{m_fileName, saveCycleEditor()};
    QLabel *m_statusPanels[2] = {nullptr, nullptr};
};
