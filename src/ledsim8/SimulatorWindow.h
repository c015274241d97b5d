#pragma once

// The simulator's window: the compiled program played on a drawn LED matrix,
// with play and pause, restart, a step at a time, speed x1, x2, x4 and the
// sign's width. It carries the title by which the editor closes it, plays
// the program file it is given (the editor's "cmpres8.dat") and plays it
// again from the start whenever a check replaces it.
//
// Without a program, with a malformed one or without the sign's fonts it
// says so in the window; it never gives up.

#include "simulator/ProgramWatcher.h"
#include "simulator/SignPlayer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>

class LedMatrixView;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;

class SimulatorWindow : public QWidget {
    Q_OBJECT
public:
    explicit SimulatorWindow(const QString &programPath, QWidget *parent = nullptr);
    ~SimulatorWindow() override;

    // Another start of the simulator: read the program again and come up.
    void bringUp();

    // For tests: the player's time, and the controls by their object names
    // ("playButton", "restartButton", "stepButton", "speedBox", "widthBox").
    qint64 time() const { return m_time; }
    bool isPlaying() const { return m_playing; }
    LedMatrixView *matrix() const { return m_view; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void programChanged();
    void setPlaying(bool playing);
    void restart();
    void step();
    void tick();
    void showFrame();
    void updateStatus();
    QString fontWarning() const;

    ProgramWatcher m_watcher;
    SignFonts m_fonts;
    std::unique_ptr<SignPlayer> m_player;
    LedFrame m_frame;

    QScrollArea *m_scroll = nullptr;
    LedMatrixView *m_view = nullptr;
    QLabel *m_warning = nullptr;
    QLabel *m_position = nullptr;
    QLabel *m_file = nullptr;
    QPushButton *m_play = nullptr;
    QPushButton *m_restart = nullptr;
    QPushButton *m_step = nullptr;
    QComboBox *m_speed = nullptr;
    QSpinBox *m_width = nullptr;

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
    qint64 m_time = 0;
    bool m_playing = true;
};
