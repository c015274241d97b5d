#pragma once

// The modal dialog over the connection window while a transfer runs: what is
// being sent (preamble, program, clock), bytes sent of the total, percent,
// the time left on the line, and "Стоп". It reads the progress from its
// source a few times a second; it never closes by itself: Esc, its close
// button and "Стоп" all ask the transfer to stop, and the window hides the
// dialog with finish() once the transfer has ended.
//
// Application-modal: while a transfer runs no other window takes input, so
// nothing can start a second transfer or rewrite the program file; the
// windows are still repainted.

#include "link/DeviceLink.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class TransferProgressDialog : public QDialog {
    Q_OBJECT
public:
    using Source = std::function<TransferProgress()>;

    TransferProgressDialog(bool clockSetting, Source source, QWidget *parent = nullptr);

    QLabel *phaseLabel = nullptr;
    QLabel *countsLabel = nullptr;
    QLabel *timeLabel = nullptr;
    QProgressBar *progressBar = nullptr;
    QPushButton *stopButton = nullptr;

    bool isStopping() const { return m_stopping; }
    // Reads the source and shows what it says.
    void refresh();
    // The transfer has ended: a last refresh, then the dialog goes.
    void finish();

signals:
    void stopRequested();

public slots:
    void stop();

protected:
    void reject() override;

private:
    Source m_source;
    QTimer *m_timer = nullptr;
    bool m_stopping = false;
    bool m_finished = false;
};
