#pragma once

// The check window: the check button, a progress bar and the read-only pane
// of messages. btnStartClick runs a check of the main editor's document with
// the core compiler and writes "cmpres8.dat" and "cmpres.bak"; the first error
// of the document is shown as a line of the pane and as a place in the editor.
//
// The check itself is the core's CheckRun; this window adds the progress bar,
// the turns of the event loop, Esc, and the place of an error in the editor.
//
// Ownership: created once by start-up after the main window, whose document
// it checks through the editor session it is given and whose child window it
// is; it is shown and hidden, never closed (its close box hides it). The
// calibration values come from the calibration source start-up hands in
// (none: "0" and "0", and nothing is written back).
//
// Threads: everything runs on the user-interface thread. A check runs inside
// btnStartClick and lets the event loop run every few milliseconds, so the
// windows repaint, Esc (or Button2) stops it after the item in hand, and a
// second start meanwhile returns at once. Esc stops a running check whichever
// of the editor's windows is active. For the length of a check the main
// editor is locked (read-only, its document-changing commands disabled); the
// lock and the check button are restored by every ending of the check, also
// when it is ended by an exception.
//
// Errors: an output file that cannot be created gives the file error box,
// which names the file and the reason;
// a failure while writing the results gives the standard error box. Both
// leave the window usable for the next check.

#include "ui/FramePlacement.h"

#include <QWidget>

#include <atomic>
#include <chrono>

class QProgressBar;
class QPushButton;
class QShortcut;
class CalibrationSource;
class EditorSession;
class RVStyleView;
class TRichViewEdit;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    // The outer heights of the window (caption bar included) and how much of
    // them the frame and the caption take: the window is sized by its inside,
    // as the main window is.
    static constexpr int RunningHeight = 148;
    static constexpr int SucceededHeight = 56;
    static constexpr int FrameHeight = 4 + 4 + 19;
    static constexpr int FrameWidth = 4 + 4;
    // Where the window is created: the mark that says it has not been placed.
    static constexpr int UnplacedLeft = FramePlacement::Unplaced.x();
    static constexpr int UnplacedTop = FramePlacement::Unplaced.y();

    // outputDirectory: where the results go, with or without its trailing
    // separator (the work folder when empty).
    explicit TForm3(EditorSession &editor, const QString &outputDirectory = QString());
    ~TForm3() override;

    QString outputDirectory() const { return m_outputDirectory; }
    // Where a check takes the calibration values and puts back those it sent.
    void setCalibrationSource(CalibrationSource *source) { m_calibration = source; }
    bool isUnplaced() const { return x() == UnplacedLeft && y() == UnplacedTop; }
    // Moves the window so that its frame's top-left corner is at `point`.
    // Window managers frame a new window in their own time, so the inside is
    // placed first, `insideOffset` from the corner (the main window's frame
    // is a good guess); if the frame turns out otherwise once it is known,
    // the window moves once more.
    void placeFrameAt(QPoint point, QPoint insideOffset);
    // A check is running (the check button is disabled).
    bool isRunning() const;
    // The abort flag: set by an error of the document or by the operator;
    // it keeps its value until the next check starts.
    bool abortFlag() const { return m_abort.load(); }
    // Whether the last check ran to its end without an error and put its
    // program in place; false while a check runs, and after a check that
    // found an error, was stopped or could not write its files. Only then
    // is "cmpres8.dat" this check's program (CheckFiles).
    bool lastCheckSucceeded() const { return m_succeeded; }
    // How long the walk goes on between two turns of the event loop: 12 ms
    // unless set; 0 lets the loop run after every item.
    void setYieldInterval(std::chrono::nanoseconds interval) { m_yieldInterval = interval; }

    // Empties the progress bar (not while a check runs): the bar belongs to
    // the document checked, so the main window calls this when it replaces
    // the document (New, Open).
    void resetProgress();

    // The outer height the window has now.
    int outerHeight() const { return height() + FrameHeight; }
    void setOuterHeight(int outer);

    // ----- controls (named after their role in the window's commands)
    QPushButton *btnStart = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    TRichViewEdit *RichView1 = nullptr;
    QPushButton *Button2 = nullptr;
    RVStyleView &RVStyle1();

public slots:
    void btnStartClick();
    void Button2Click();

signals:
    // A check started (true) or ended, whichever way it ended (false).
    void runningChanged(bool running);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void FormCreate();
    // Enables the check button and unlocks the editor; does nothing when no
    // check is running, so every way out of a check may call it.
    void endRun();
    void addMessage(const QString &line);
    void selectLastMessage();

    EditorSession &m_editor;
    CalibrationSource *m_calibration = nullptr;
    QString m_outputDirectory;
    QString m_outputProblem;  // why the work folder cannot be used, if so
    QShortcut *m_escape = nullptr;
    FramePlacement m_placement;
    std::atomic<bool> m_abort{false};
    bool m_succeeded = false;
    // Often enough that the progress bar moves smoothly and a key press is
    // handled within a frame or two; rarely enough that handling events costs
    // little next to the walk itself.
    std::chrono::nanoseconds m_yieldInterval = std::chrono::milliseconds(12);
};
