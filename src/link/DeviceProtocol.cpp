#include "DeviceProtocol.h"

namespace DeviceProtocol {

void applyLineSettings(TCommHandle &port, int writeTimeoutMs)
{
    port.setBaudrate(br4800);
    port.setDatabits(da8);
    port.setStopbits(sb20);
    port.setParity(paNone);
    port.setFlowControl(fcNone);
    port.setDontSynchronize(false);
    port.setOptions({});
    port.setXonChar(0x11);
    port.setXoffChar(0x13);
    port.setErrorChar(0);
    port.setEofChar(0);
    port.setEvtChar(0);
    port.setReadTimeout(ReadTimeoutMs);
    port.setWriteTimeout(writeTimeoutMs);
    if (!port.Active()) {
        port.setMonitorEvents(evRxChar | evTxEmpty);
        port.setReadBufSize(0);
        port.setWriteBufSize(0);
    }
}

QByteArray clockPayload(const QDate &date, const QTime &time)
{
    const int year = ((date.year() % 100) + 100) % 100;
    QByteArray payload(ClockPayloadLength, '\0');
    payload[0] = char(year);
    payload[1] = char(date.month());
    payload[2] = char(date.day());
    payload[3] = char(time.hour());
    payload[4] = char(time.minute());
    payload[5] = char(time.second());
    return payload;
}

} // namespace DeviceProtocol
