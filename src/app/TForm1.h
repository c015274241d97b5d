#pragma once

// The main editor window: the command bar, the marker panel, the editor
// control and the main menu. It owns the source document (in the editor), its
// style tables and the current file name. Its commands are the handlers
// named after their controls; one handler serves a menu item and a button.
//
// Routines that may be refused or cancelled return whether the caller may go
// on. Open keeps the previous document when a file cannot be read, and Save
// keeps the modified flag when writing fails; both tell the operator which
// file and why.
//
// Ownership: start-up creates it first and destroys it last; the tool windows
// are its child windows, handed to it by start-up, and it only shows, places
// and stops them. The check window and the graphic editor reach the document
// through the EditorSession it implements, never through this class.

#include "EditorSession.h"

#include "ui/SaveCycle.h"

#include "document/model/Colour.h"
#include "document/model/MarkerKind.h"

#include <QEvent>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>

#include <array>
#include <optional>

class FindDialog;
class TForm3;
class TForm4;
class TForm6;
class QAction;
class QComboBox;
class QDragMoveEvent;
class QDropEvent;
class QFileDialog;
class QLabel;
class QMenu;
class QToolButton;
class TForm2;
class TRichViewEdit;
class RVStyleView;

// The caret message: posted to the main window while the graphic editor's
// picture is dragged over the editor, carrying the point in the editor's
// client coordinates; handled later, by MoveCaretToPoint. The drop itself is
// the editor control's (TRichViewEdit takes the picture drag type).
class CaretMessage : public QEvent {
public:
    static constexpr QEvent::Type Type = QEvent::Type(QEvent::User + 10);
    explicit CaretMessage(QPoint point) : QEvent(Type), point(point) {}
    const QPoint point;
};

class TForm1 : public QMainWindow, public EditorSession {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // ----- what other windows and the start-up use
    TRichViewEdit *rve = nullptr;
    RVStyleView &rvs();
    QString currentFileName() const { return m_fileName; }
    // Opens a file without asking for it (a file given on the command line);
    // false when it could not be read (the operator has been told). A name
    // ending in ".txt" is a message written as markup: it becomes a new,
    // unnamed, modified document.
    bool openFile(const QString &fileName);
    // The windows this one shows, handed in by start-up when it creates
    // them; their commands are unavailable until then and once they are
    // destroyed.
    void attachGraphicEditor(TForm2 *editor);
    TForm2 *graphicEditor() const;
    void setCheckWindow(TForm3 *window);
    TForm3 *checkWindow() const;
    void setCalibrationWindow(TForm6 *window);
    TForm6 *calibrationWindow() const;
    // The connection window: its command, and the check it runs before a
    // load, wired when start-up creates it.
    void setConnectionWindow(TForm4 *window);
    TForm4 *connectionWindow() const;
    // A check is running in the check window.
    bool isChecking() const;
    // While a transfer to the sign runs, every command of this window is
    // disabled and the editor is read-only.
    void setTransferRunning(bool running);
    bool isTransferRunning() const { return m_transferRunning; }

    // While locked (for the length of a check) the editor is read-only and
    // every command that changes the document is disabled; selecting,
    // copying, finding and saving stay available.
    void setDocumentLocked(bool locked) override;
    bool isDocumentLocked() const { return m_documentLocked; }

    // ----- the editor session of the tool windows
    SourceDocument snapshot(const std::function<void()> &yield) const override;
    void markItem(int item, Mark mark) override;
    void activateEditor() override;
    PicturePtr pictureAtCaret() const override;
    bool insertPicture(const QImage &image, int displayWidth, int displayHeight) override;
    QWidget *editorWindow() override { return this; }

    // ----- routines of the window
    bool QuerySave();
    bool SaveDocument();
    bool SaveDocumentAs();
    void OpenDocument();
    void NewDocument();

    // ----- controls (named after their role in the window's commands)
    QWidget *Panel1 = nullptr;
    QToolButton *btnNew = nullptr;
    QToolButton *btnOpen = nullptr;
    QToolButton *btnSave = nullptr;
    QToolButton *btnSaveAs = nullptr;
    QToolButton *SpeedButton3 = nullptr;  // Check
    QToolButton *SpeedButton1 = nullptr;  // Preview
    QToolButton *btnComm = nullptr;
    QToolButton *btnClose = nullptr;
    QWidget *panel = nullptr;
    QComboBox *EffectCB = nullptr;
    QComboBox *SpeedCB = nullptr;
    QComboBox *fontCB = nullptr;
    QComboBox *PauseCB = nullptr;
    QComboBox *EffectClearCB = nullptr;
    QComboBox *InfoCB = nullptr;
    QToolButton *gEditor = nullptr;
    QToolButton *btnRed = nullptr;
    QToolButton *btnBlackOnRed = nullptr;
    QFileDialog *od = nullptr;
    QFileDialog *sd = nullptr;

    // The toolbar box of a marker kind, and the "Вставка" menu item.
    QComboBox *toolbarBox(MarkerKind kind) const;
    QAction *insertAction(MarkerKind kind) const;
    QAction *action(const char *name) const;

public slots:
    // File commands
    void mitNewClick();
    void mitOpenClick();
    void mitSaveClick();
    void mitSaveAsClick();
    void mitExitClick();
    void btnCloseClick();
    // Marker insertion
    void EffectCBChange();
    void EffectClearCBChange();
    void PauseCBChange();
    void SpeedCBChange();
    void fontCBChange();
    void InfoCBChange();
    // Colours
    void btnRedClick();
    void clea();
    int rveStyleConversion(int styleNo, int code);
    void rveCurTextStyleChanged();
    // Editing
    void mitUndoClick();
    void mitRedoClick();
    void mitCutClick();
    void mitCopyClick();
    void mitPasteClick();
    void mitDeleteClick();
    void mitSelectAllClick();
    void N7Click();
    void N6Click();
    void FindDialog1Find();
    // Auxiliary commands
    void menuCheckTextClick();
    void SpeedButton1Click();
    void btnCommClick();
    void mitCalibrationClick();
    // The graphic editor and its pictures
    void gEditorClick();
    void rveDragOver(QDragMoveEvent *event);
    void MoveCaretToPoint(QPoint point);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool FormCloseQuery();
    void FormCreate();
    void FormClose();

    void buildCommandBar();
    void buildMarkerPanel();
    void buildMenu();
    void buildDialogs();
    void insertMarker(MarkerKind kind);
    void applyColour(TColor color, TColor backColor);
    bool readInto(const QString &fileName);
    bool composeInto(const QString &fileName);
    static bool isMarkupFile(const QString &fileName);
    void updateCommands();
    SaveCycle::Editor saveCycleEditor();
    // The whole screen of this window, which the check and connection
    // windows stay inside.
    std::optional<QRect> screenArea() const;
    bool isPictureDrag(const QDropEvent *event) const;
    // Keeps the commands of a tool window in step with its lifetime.
    void watchToolWindow(QWidget *window);

    QString m_fileName;
    SaveCycle m_saveCycle{m_fileName, saveCycleEditor()};
    TColor m_pendingColour = 0;
    std::array<QComboBox *, 6> m_boxes{};
    std::array<QAction *, 6> m_insertActions{};
    FindDialog *m_findDialog = nullptr;
    QPointer<TForm3> m_checkWindow;
    QPointer<TForm6> m_calibrationWindow;
    QPointer<TForm4> m_connectionWindow;
    // Menu commands whose availability follows the editor and the lock.
    struct {
        QAction *newDocument = nullptr, *open = nullptr, *undo = nullptr, *redo = nullptr, *cut = nullptr,
                *copy = nullptr, *paste = nullptr, *erase = nullptr, *check = nullptr, *calibration = nullptr,
                *connection = nullptr, *red = nullptr, *blackOnRed = nullptr;
    } m_commands;
    bool m_documentLocked = false;
    bool m_transferRunning = false;
    bool m_undoAvailable = false;
    bool m_redoAvailable = false;
    bool m_hasSelection = false;
    QPointer<TForm2> m_graphicEditor;
};
