// The main window's commands that reach other windows and programs: the
// check, the preview, the connection window and the calibration window; the
// lock that keeps the document still while a check reads it, and the one
// that holds every command while a transfer to the sign runs.

#include "TForm1.h"

#include "ui/FramePlacement.h"

#include "platform/TopLevelWindows.h"
#include "richview/TRichViewEdit.h"

#include "app/calibration/TForm6.h"
#include "app/check/TForm3.h"
#include "app/link/TForm4.h"
#include "workfolder/ExecutableDirectory.h"

#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>

void TForm1::watchToolWindow(QWidget *window)
{
    // The pointers to the windows clear themselves before `destroyed` comes.
    if (window)
        connect(window, &QObject::destroyed, this, &TForm1::updateCommands, Qt::UniqueConnection);
    updateCommands();
}

void TForm1::setCheckWindow(TForm3 *window)
{
    m_checkWindow = window;
    watchToolWindow(window);
}

TForm3 *TForm1::checkWindow() const
{
    return m_checkWindow;
}

TForm6 *TForm1::calibrationWindow() const
{
    return m_calibrationWindow;
}

void TForm1::setCalibrationWindow(TForm6 *window)
{
    m_calibrationWindow = window;
    watchToolWindow(window);
}

void TForm1::setConnectionWindow(TForm4 *window)
{
    if (m_connectionWindow)
        disconnect(m_connectionWindow, nullptr, this, nullptr);
    m_connectionWindow = window;
    if (window) {
        window->setCheckCommand([this] {
            menuCheckTextClick();
            return m_checkWindow && m_checkWindow->lastCheckSucceeded();
        });
        connect(window, &TForm4::transferRunningChanged, this, &TForm1::setTransferRunning);
    }
    watchToolWindow(window);
}

TForm4 *TForm1::connectionWindow() const
{
    return m_connectionWindow;
}

void TForm1::setTransferRunning(bool running)
{
    m_transferRunning = running;
    // The progress dialog takes all input meanwhile; the commands say so too.
    menuBar()->setEnabled(!running);
    Panel1->setEnabled(!running);
    panel->setEnabled(!running);
    rve->setReadOnly(running || m_documentLocked);
}

bool TForm1::isChecking() const
{
    return m_checkWindow && m_checkWindow->isRunning();
}

void TForm1::setDocumentLocked(bool locked)
{
    m_documentLocked = locked;
    rve->setReadOnly(locked || m_transferRunning);
    updateCommands();
}

void TForm1::updateCommands()
{
    const bool editable = !m_documentLocked;
    for (QAction *a : {m_commands.newDocument, m_commands.open, m_commands.paste, m_commands.red,
                       m_commands.blackOnRed})
        a->setEnabled(editable);
    m_commands.undo->setEnabled(editable && m_undoAvailable);
    m_commands.redo->setEnabled(editable && m_redoAvailable);
    m_commands.cut->setEnabled(editable && m_hasSelection);
    m_commands.erase->setEnabled(editable && m_hasSelection);
    m_commands.copy->setEnabled(m_hasSelection);
    for (QWidget *w : {static_cast<QWidget *>(btnNew), static_cast<QWidget *>(btnOpen),
                       static_cast<QWidget *>(btnRed), static_cast<QWidget *>(btnBlackOnRed)})
        w->setEnabled(editable);
    for (QComboBox *box : m_boxes)
        box->setEnabled(editable);
    for (QAction *a : m_insertActions)
        a->setEnabled(editable);
    m_commands.check->setEnabled(!m_checkWindow.isNull());
    SpeedButton3->setEnabled(!m_checkWindow.isNull());
    m_commands.calibration->setEnabled(!m_calibrationWindow.isNull());
    m_commands.connection->setEnabled(!m_connectionWindow.isNull());
    btnComm->setEnabled(!m_connectionWindow.isNull());
}

void TForm1::menuCheckTextClick()
{
    if (!m_checkWindow)
        return;
    TForm3 &check = *m_checkWindow;
    if (check.isUnplaced()) {
        // Directly below this window and as wide; pulled up when it would
        // reach past the bottom of the screen. Positions are those of the
        // outer frames; a window not shown yet has no frame of its own, so
        // it is taken to get one like this window's.
        const QRect outer = frameGeometry();
        check.setFixedWidth(width());
        const QRect place = FramePlacement::beside(outer, check.size() + FramePlacement::frameExtra(check, *this),
                                                   FramePlacement::Side::Below, screenArea());
        check.placeFrameAt(place.topLeft(), geometry().topLeft() - outer.topLeft());
    }
    check.show();
    check.raise();
    check.activateWindow();
    check.btnStartClick();
}

std::optional<QRect> TForm1::screenArea() const
{
    if (const QScreen *s = screen())
        return s->geometry();
    return std::nullopt;
}

void TForm1::btnCommClick()
{
    if (!m_connectionWindow)
        return;
    TForm4 &comm = *m_connectionWindow;
    if (comm.isUnplaced()) {
        // Directly to the right of this window and as high; pulled left when
        // it would reach past the right edge of the screen. Positions and
        // heights are those of the outer frames.
        const QRect outer = frameGeometry();
        const QSize frameExtra = FramePlacement::frameExtra(comm, *this);
        comm.setFixedHeight(std::max(0, outer.height() - frameExtra.height()));
        const QRect place
            = FramePlacement::beside(outer, comm.size() + frameExtra, FramePlacement::Side::Right, screenArea());
        comm.placeFrameAt(place.topLeft(), geometry().topLeft() - outer.topLeft());
    }
    comm.show();
    comm.raise();
    comm.activateWindow();
}

void TForm1::SpeedButton1Click()
{
    Simulator::startPreview(executableDirectory());
}

void TForm1::mitCalibrationClick()
{
    if (!m_calibrationWindow)
        return;
    m_calibrationWindow->show();
    m_calibrationWindow->raise();
    m_calibrationWindow->activateWindow();
}
