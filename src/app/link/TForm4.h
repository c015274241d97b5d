#pragma once

// The connection window: the port list, the port indicator, the program load
// ("Загрузить данные") and the clock setting ("Установить часы"). It owns the
// serial port Comm1 and reads the compiled program file next to the
// executable; it never reads the document.
//
// Created hidden at start-up and kept until the program ends; hiding it does
// not close the port, destroying it does.
//
// A transfer opens the port on this thread, then its bytes are written by a
// TransferRunner on a thread of its own while this thread runs the event loop
// of the modal progress dialog; when the runner has ended, the close routine
// runs here. The command returns only then, like a command that did all the
// work itself, but the windows are repainted, the progress shows and "Стоп"
// in the dialog ends the transfer after the byte in hand. Meanwhile the
// window's own controls are disabled, and transferRunningChanged() tells the
// other windows to disable theirs.
//
// How a transfer ended shows in the status line under the pickers: the bytes
// and the time of a load, the moment the clock was set to; it is cleared when
// the next transfer starts. While "Системные часы" is ticked the pickers
// follow the computer's clock, a tick every second.
//
// Errors: a port error (opening or writing) goes to the application's
// standard error box, the opening's with the port named first; the window is
// then Stranded (both commands disabled until "Стоп" or another port), and
// the status line says how far a load got and what ends the state, with the
// keyboard focus on "Стоп". File errors and the messages of the program load
// are boxes of their own.

#include "ui/FramePlacement.h"
#include "link/DeviceLink.h"
#include "link/TransferRunner.h"

#include <QWidget>

#include <functional>
#include <memory>

class PortComboBox;
class QCheckBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTimer;
class TransferProgressDialog;

class TForm4 : public QWidget {
    Q_OBJECT
public:
    // parent: the main window, above which the window stays. sysRoot: the
    // directory that plays /sys for the port discovery; empty for the
    // system's own ports.
    explicit TForm4(QWidget *parent = nullptr, const QString &sysRoot = QString());
    ~TForm4() override;

    // The main window's check command, run before a load when "Проверить
    // перед загр." is ticked. It returns whether the check succeeded; when
    // it did not (an error, a stop, a check already running, files that
    // could not be written) the load ends before the port is touched.
    void setCheckCommand(std::function<bool()> command) { m_checkCommand = std::move(command); }

    // The compiled program a load sends: "cmpres8.dat" in the work folder.
    static QString programPath();

    // Not placed yet (still at the placement mark it is created at), and the
    // placement by the outer frame that the main window's command uses.
    bool isUnplaced() const { return FramePlacement::isUnplaced(*this); }
    void placeFrameAt(QPoint point, QPoint insideOffset) { m_placement.placeFrameAt(*this, point, insideOffset); }

    bool transferRunning() const { return m_transferRunning; }
    // The dialog of the transfer that runs, or null.
    TransferProgressDialog *progressDialog() const { return m_progressDialog; }
    DeviceLink &link() { return m_link; }

    // ----- controls (named after their role in the window's commands)
    QGroupBox *GroupBox4 = nullptr;
    QLabel *Label17 = nullptr;
    PortComboBox *ComboBox1 = nullptr;
    QPushButton *CloseCommButton = nullptr;
    QCheckBox *ConnectOKBit = nullptr;
    QLabel *ConnectOKString = nullptr;
    QPushButton *btnUpload = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QPushButton *btnSetupTime = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QLabel *Label3 = nullptr;
    QDateTimeEdit *DateTimePicker1 = nullptr;
    QLabel *Label2 = nullptr;
    QDateTimeEdit *DateTimePicker2 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    TComm *Comm1 = nullptr;
    // How the last transfer ended (word-wrapped, under the date picker).
    QLabel *transferStatus = nullptr;

public slots:
    void btnUploadClick();
    void btnSetupTimeClick();
    void CheckBox1Click();
    // Open routine: the warning when open, else the line settings, the
    // chosen port, open, DTR cleared and RTS set; the indicator in any case.
    void OpenCommButtonClick();
    // Close routine: both commands enabled, output purged, port closed, the
    // indicator in any case.
    void CloseCommButtonClick();
    // Port discovery.
    void Button12Click();
    void ComboBox1Change();
    // The port's notifications: what the sign sends is read and dropped
    // (left for later while a transfer runs); an empty output queue means
    // nothing to the window.
    void Comm1RxChar(QObject *Sender, int Count);
    void Comm1TxEmpty(QObject *Sender);

signals:
    void transferRunningChanged(bool running);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void FormCreate();
    void FormDestroy();
    void buildControls();
    void updateIndicator();
    void setTransferring(bool running);
    // The operation frame after its step 1; the payload comes from plan.
    void runTransfer(const TransferPlan &plan);
    // A port error has left the window Stranded: says so and what ends it.
    void strand(const QString &status);
    // The pickers show the computer's clock, and the next tick is set for
    // the turn of the second.
    void showSystemClock();

    DeviceLink m_link;
    TransferRunner m_runner;
    std::function<bool()> m_checkCommand;
    QString m_sysRoot;
    qint64 m_programSize = 0;
    bool m_transferRunning = false;
    bool m_stranded = false;  // transferStatus says how the window got stranded
    TransferProgressDialog *m_progressDialog = nullptr;
    QTimer *m_clockTick = nullptr;
    FramePlacement m_placement;
};
