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

} // namespace TransferText
