#pragma once

// What the connection window says about a transfer: the lines of its progress
// dialog and the boxes after a transfer that stopped early or lost bytes.
// Kept apart from the dialog so that the texts are tested without widgets.

#include "DeviceLink.h"

#include <QString>

namespace TransferText {

// "Загрузка данных" / "Установка часов", with the caption suffix.
QString dialogCaption(bool clockSetting);
// What is being sent now.
QString phase(TransferPhase phase);
// "Отправлено 1000 из 2921 байт (34 %)".
QString counts(const TransferProgress &progress);
// "Осталось около 0:04" (minutes and seconds, rounded up; hours when long).
QString timeLeft(const TransferProgress &progress);
QString clockText(qint64 milliseconds);

// After a transfer that ran to its end but lost bytes (time-outs, or still
// queued when the port closed); empty when it lost none.
QString lostBytes(const TransferReport &report);
// After a stop: how many program bytes went out, or that the clock was not set.
QString stopped(const TransferReport &report, bool clockSetting, qint64 programSize);

// The connection window's status line after a transfer that ended well:
// the bytes and the time a load took; the moment the clock was set to.
QString loadDone(const TransferReport &report, qint64 milliseconds);
QString clockDone(const QDateTime &moment, qint64 milliseconds);
// The status line while the window is stranded by a port error: how far a
// load got, and what ends the state.
QString strandedByOpening();
QString strandedLoad(const TransferReport &report, qint64 programSize);
QString strandedClock();
// The error box of a port that cannot be opened: the port, then the error.
QString portNotOpened(const QString &port, const QString &error);

} // namespace TransferText
