#include "TransferProgressDialog.h"

#include "ui/WindowFont.h"
#include "link/TransferText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int RefreshMs = 100;

} // namespace

TransferProgressDialog::TransferProgressDialog(bool clockSetting, Source source, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_source(std::move(source))
{
    setObjectName(u"TransferProgressDialog"_s);
    setWindowTitle(TransferText::dialogCaption(clockSetting));
    setWindowModality(Qt::ApplicationModal);
    setFont(windowFont());

    phaseLabel = new QLabel(this);
    phaseLabel->setObjectName(u"phaseLabel"_s);
    QFont bold = phaseLabel->font();
    bold.setBold(true);
    phaseLabel->setFont(bold);
    countsLabel = new QLabel(this);
    countsLabel->setObjectName(u"countsLabel"_s);
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(u"progressBar"_s);
    progressBar->setRange(0, 100);
    progressBar->setTextVisible(true);
    timeLabel = new QLabel(this);
    timeLabel->setObjectName(u"timeLabel"_s);
    stopButton = new QPushButton(u"Стоп"_s, this);
    stopButton->setObjectName(u"stopButton"_s);
    stopButton->setAutoDefault(false);
    stopButton->setDefault(false);
    connect(stopButton, &QPushButton::clicked, this, &TransferProgressDialog::stop);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(phaseLabel);
    layout->addWidget(countsLabel);
    layout->addWidget(progressBar);
    layout->addWidget(timeLabel);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(stopButton);
    layout->addLayout(buttons);
    setMinimumWidth(300);

    m_timer = new QTimer(this);
    m_timer->setInterval(RefreshMs);
    connect(m_timer, &QTimer::timeout, this, &TransferProgressDialog::refresh);
    m_timer->start();
    refresh();
}

void TransferProgressDialog::refresh()
{
    if (!m_source)
        return;
    const TransferProgress progress = m_source();
    phaseLabel->setText(TransferText::phase(progress.phase));
    countsLabel->setText(TransferText::counts(progress));
    progressBar->setValue(progress.percent());
    timeLabel->setText(TransferText::timeLeft(progress));
}

void TransferProgressDialog::stop()
{
    if (m_stopping || m_finished)
        return;
    m_stopping = true;
    stopButton->setEnabled(false);
    stopButton->setText(u"Остановка..."_s);
    emit stopRequested();
}

void TransferProgressDialog::reject()
{
    if (m_finished) {
        QDialog::reject();
        return;
    }
    // Esc and the close button stop the transfer; the dialog stays until the
    // transfer has ended.
    stop();
}

void TransferProgressDialog::finish()
{
    m_finished = true;
    m_timer->stop();
    refresh();
    done(QDialog::Accepted);
}
