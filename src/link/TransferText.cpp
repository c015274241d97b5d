#include "TransferText.h"

#include "LinkMessages.h"

using namespace Qt::StringLiterals;

namespace TransferText {

QString dialogCaption(bool clockSetting)
{
    return (clockSetting ? u"Установка часов"_s : u"Загрузка данных"_s) + LinkMessages::captionSuffix();
}

QString phase(TransferPhase phase)
{
    switch (phase) {
    case TransferPhase::Preamble:
        return u"Отправка преамбулы"_s;
    case TransferPhase::Program:
        return u"Отправка программы"_s;
    case TransferPhase::Clock:
        return u"Отправка времени"_s;
    case TransferPhase::Draining:
        return u"Завершение передачи"_s;
    }
    return {};
}

QString counts(const TransferProgress &progress)
{
    return u"Отправлено %1 из %2 байт (%3 %)"_s.arg(progress.sent).arg(progress.total).arg(progress.percent());
}

QString clockText(qint64 milliseconds)
{
    const qint64 seconds = (qMax<qint64>(0, milliseconds) + 999) / 1000;
    if (seconds >= 3600) {
        return u"%1:%2:%3"_s.arg(seconds / 3600)
            .arg((seconds / 60) % 60, 2, 10, QChar(u'0'))
            .arg(seconds % 60, 2, 10, QChar(u'0'));
    }
    return u"%1:%2"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

QString timeLeft(const TransferProgress &progress)
{
    return u"Осталось около %1"_s.arg(clockText(progress.millisecondsLeft()));
}

QString lostBytes(const TransferReport &report)
{
    if (report.timedOut == 0 && report.droppedAtClose == 0)
        return {};
    QString text = u"Передача завершена, но изделие получило не все данные."_s;
    if (report.timedOut > 0)
        text += u"\n\nБайт, не принятых портом за время ожидания записи: %1."_s.arg(report.timedOut);
    if (report.droppedAtClose > 0)
        text += u"\n\nБайт, оставшихся в очереди порта при его закрытии: %1."_s.arg(report.droppedAtClose);
    return text;
}

QString stopped(const TransferReport &report, bool clockSetting, qint64 programSize)
{
    if (clockSetting) {
        if (report.payloadSent > 0)
            return u"Установка часов остановлена после отправки времени."_s;
        return u"Установка часов остановлена: время в изделие не отправлено."_s;
    }
    return u"Загрузка остановлена.\n\nОтправлено байт программы: %1 из %2."_s.arg(report.payloadDelivered())
        .arg(programSize);
}

QString loadDone(const TransferReport &report, qint64 milliseconds)
{
    return u"Загрузка завершена: %1 байт программы (всего %2 байт) за %3."_s.arg(report.payloadSent)
        .arg(report.sent)
        .arg(clockText(milliseconds));
}

QString clockDone(const QDateTime &moment, qint64 milliseconds)
{
    return u"Часы установлены: %1 (передача %2)."_s.arg(moment.toString(u"dd.MM.yyyy HH:mm:ss"_s),
                                                        clockText(milliseconds));
}

namespace {
QString endsStranded()
{
    return u"Нажмите «Стоп» или выберите другой порт."_s;
}
} // namespace

QString strandedByOpening()
{
    return u"Порт не открыт. "_s + endsStranded();
}

QString strandedLoad(const TransferReport &report, qint64 programSize)
{
    return u"Загрузка прервана ошибкой порта: отправлено %1 из %2 байт программы. "_s.arg(report.payloadSent)
               .arg(programSize)
           + endsStranded();
}

QString strandedClock()
{
    return u"Установка часов прервана ошибкой порта. "_s + endsStranded();
}

QString portNotOpened(const QString &port, const QString &error)
{
    return u"Не удалось открыть порт %1.\n\n%2"_s.arg(port, error);
}

} // namespace TransferText
