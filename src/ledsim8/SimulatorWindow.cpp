#include "SimulatorWindow.h"

#include "LedMatrixView.h"

#include "simulator/SimulatorTitles.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// 60 frames a second; frames that do not change are not drawn again.
constexpr int TickMilliseconds = 16;

QString secondsText(qint64 milliseconds)
{
    return QLocale(QLocale::Russian).toString(double(milliseconds) / 1000, 'f', 1);
}

} // namespace

SimulatorWindow::SimulatorWindow(const QString &programPath, QWidget *parent)
    : QWidget(parent), m_watcher(programPath), m_fonts(SignFonts::load())
{
    setWindowTitle(SimulatorTitles::closing());
    setObjectName(u"SimulatorWindow"_s);

    m_view = new LedMatrixView;
    m_scroll = new QScrollArea;
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_scroll->setStyleSheet(u"QScrollArea { background: #141416; }"_s);
    // The LEDs take what height their size needs, with the scroll bar of a
    // sign too wide for the window below them.
    m_view->installEventFilter(this);

    m_warning = new QLabel;
    m_warning->setObjectName(u"fontWarning"_s);
    m_warning->setWordWrap(true);
    m_warning->setStyleSheet(u"QLabel { background: #fff3c4; color: #5a4300; padding: 6px; }"_s);

    m_play = new QPushButton;
    m_play->setObjectName(u"playButton"_s);
    m_restart = new QPushButton(style()->standardIcon(QStyle::SP_MediaSkipBackward), u"С&начала"_s);
    m_restart->setObjectName(u"restartButton"_s);
    m_restart->setToolTip(u"Показать программу с начала (Home)"_s);
    m_step = new QPushButton(style()->standardIcon(QStyle::SP_MediaSeekForward), u"&Шаг"_s);
    m_step->setObjectName(u"stepButton"_s);
    m_step->setToolTip(u"Остановить и показать следующий шаг эффекта (→)"_s);

    m_speed = new QComboBox;
    m_speed->setObjectName(u"speedBox"_s);
    m_speed->addItem(u"×1"_s, 1);
    m_speed->addItem(u"×2"_s, 2);
    m_speed->addItem(u"×4"_s, 4);
    auto *speedLabel = new QLabel(u"С&корость:"_s);
    speedLabel->setBuddy(m_speed);

    m_width = new QSpinBox;
    m_width->setObjectName(u"widthBox"_s);
    m_width->setRange(SignPlayer::MinWidth, SignPlayer::MaxWidth);
    m_width->setValue(SignPlayer::DefaultWidth);
    m_width->setSuffix(u" столбцов"_s);
    m_width->setKeyboardTracking(false);
    auto *widthLabel = new QLabel(u"Ширина &табло:"_s);
    widthLabel->setBuddy(m_width);

    m_position = new QLabel;
    m_position->setObjectName(u"positionLabel"_s);
    m_position->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_file = new QLabel;
    m_file->setObjectName(u"fileLabel"_s);
    auto *notice = new QLabel(u"Приближённый просмотр: прошивки табло здесь нет, эффекты показаны по их названиям, "
                              u"и на табло программа может выглядеть иначе."_s);
    notice->setObjectName(u"approximationNotice"_s);
    notice->setWordWrap(true);
    notice->setStyleSheet(u"QLabel { color: #6a6a6a; }"_s);

    auto *controls = new QHBoxLayout;
    controls->addWidget(m_play);
    controls->addWidget(m_restart);
    controls->addWidget(m_step);
    controls->addSpacing(12);
    controls->addWidget(speedLabel);
    controls->addWidget(m_speed);
    controls->addSpacing(12);
    controls->addWidget(widthLabel);
    controls->addWidget(m_width);
    controls->addSpacing(12);
    controls->addWidget(m_position, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_scroll);
    layout->addWidget(m_warning);
    layout->addLayout(controls);
    layout->addWidget(m_file);
    layout->addWidget(notice);
    layout->addStretch(1);

    connect(m_play, &QPushButton::clicked, this, [this] { setPlaying(!m_playing); });
    connect(m_restart, &QPushButton::clicked, this, &SimulatorWindow::restart);
    connect(m_step, &QPushButton::clicked, this, &SimulatorWindow::step);
    connect(m_width, &QSpinBox::valueChanged, this, [this](int columns) {
        m_view->setColumns(columns);
        m_scroll->horizontalScrollBar()->setValue(0);
        if (m_player)
            m_player->setWidth(columns);
        restart();
    });
    connect(new QShortcut(Qt::Key_Space, this), &QShortcut::activated, m_play, &QPushButton::click);
    connect(new QShortcut(Qt::Key_Home, this), &QShortcut::activated, m_restart, &QPushButton::click);
    connect(new QShortcut(Qt::Key_Right, this), &QShortcut::activated, m_step, &QPushButton::click);

    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(TickMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &SimulatorWindow::tick);
    connect(&m_watcher, &ProgramWatcher::changed, this, &SimulatorWindow::programChanged);

    m_warning->setText(fontWarning());
    m_warning->setVisible(!m_warning->text().isEmpty());
    m_clock.start();
    programChanged();
    setPlaying(true);
    resize(sizeHint().expandedTo(QSize(900, 0)));
}

SimulatorWindow::~SimulatorWindow() = default;

bool SimulatorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::Resize) {
        const QScrollBar *bar = m_scroll->horizontalScrollBar();
        const bool scrolls = m_view->minimumSizeHint().width() > m_scroll->viewport()->width() + 1;
        m_scroll->setFixedHeight(m_view->height() + (scrolls ? bar->sizeHint().height() : 0));
    }
    return QWidget::eventFilter(watched, event);
}

QString SimulatorWindow::fontWarning() const
{
    QStringList lines;
    for (const SignFontProblem &problem : m_fonts.problems) {
        QString line = u"Шрифт табло «%1» не загружен: %2 (%3; файл из пакета Debian %4)."_s.arg(
            problem.fontName, problem.path, problem.reason, problem.package);
        line += problem.standIn.isEmpty() ? u" Его текст показан рамками."_s
                                          : u" Его текст показан шрифтом «%1»."_s.arg(problem.standIn);
        lines << line;
    }
    return lines.join(u'\n');
}

void SimulatorWindow::programChanged()
{
    const QString name = QFileInfo(m_watcher.path()).fileName();
    QString message;
    switch (m_watcher.state()) {
    case ProgramWatcher::State::Missing:
        message = u"Программы ещё нет: файла «%1» нет в папке %2.\n"
                  u"Выполните проверку исходного текста в редакторе (F9) — симулятор сразу покажет результат."_s
                      .arg(name, QDir::toNativeSeparators(QFileInfo(m_watcher.path()).absolutePath()));
        break;
    case ProgramWatcher::State::Unreadable:
        message = u"Файл «%1» не читается: %2."_s.arg(name, m_watcher.readError());
        break;
    case ProgramWatcher::State::Malformed:
        message = u"Файл «%1» — не скомпилированная программа (%2).\nВыполните проверку исходного текста ещё раз."_s
                      .arg(name, m_watcher.error().toString());
        break;
    case ProgramWatcher::State::Loaded:
        break;
    }
    if (m_watcher.state() == ProgramWatcher::State::Loaded) {
        m_player = std::make_unique<SignPlayer>(m_watcher.program(), m_fonts, m_width->value());
        if (m_player->passDuration() == 0)
            message = u"Программа пуста: в ней нет ни одного элемента для показа."_s;
    } else {
        m_player.reset();
    }
    m_view->setMessage(message);
    const QString shownPath = QDir::toNativeSeparators(m_watcher.path());
    m_file->setText(m_watcher.state() == ProgramWatcher::State::Missing
                        ? shownPath
                        : u"%1 — %2 байт, прочитан в %3"_s.arg(shownPath)
                              .arg(m_watcher.size())
                              .arg(QTime::currentTime().toString(u"HH:mm:ss"_s)));
    const bool playable = m_player && m_player->passDuration() > 0;
    m_play->setEnabled(playable);
    m_restart->setEnabled(playable);
    m_step->setEnabled(playable);
    restart();
}

void SimulatorWindow::setPlaying(bool playing)
{
    m_playing = playing;
    m_play->setText(playing ? u"&Пауза"_s : u"&Пуск"_s);
    m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_play->setToolTip(playing ? u"Остановить показ (пробел)"_s : u"Продолжить показ (пробел)"_s);
    m_lastTick = m_clock.elapsed();
    if (playing && m_player && m_player->passDuration() > 0)
        m_timer.start();
    else
        m_timer.stop();
    updateStatus();
}

void SimulatorWindow::restart()
{
    m_time = 0;
    m_lastTick = m_clock.elapsed();
    setPlaying(m_playing);
    showFrame();
}

void SimulatorWindow::step()
{
    if (!m_player)
        return;
    if (m_playing)
        setPlaying(false);
    m_time = m_player->nextStep(m_time);
    showFrame();
}

void SimulatorWindow::tick()
{
    const qint64 now = m_clock.elapsed();
    m_time += (now - m_lastTick) * m_speed->currentData().toInt();
    m_lastTick = now;
    showFrame();
}

void SimulatorWindow::showFrame()
{
    if (!m_player) {
        updateStatus();
        return;
    }
    m_player->render(m_time, QDateTime::currentDateTime(), m_frame);
    m_view->setFrame(m_frame);
    updateStatus();
}

void SimulatorWindow::updateStatus()
{
    if (!m_player || m_player->passDuration() == 0) {
        m_position->clear();
        return;
    }
    const SignPlayer::Position position = m_player->positionAt(m_time);
    const qint64 pass = m_player->passDuration(position.pass);
    const QString text = u"%1 · %2 из %3 с"_s.arg(position.description, secondsText(m_time % std::max<qint64>(1, pass)),
                                                  secondsText(pass));
    if (m_position->text() != text)
        m_position->setText(text);
}

void SimulatorWindow::bringUp()
{
    m_watcher.reload(true);
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}
