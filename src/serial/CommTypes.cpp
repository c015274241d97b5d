#include "CommTypes.h"

#include "CommPlatform.h"

#include <array>

quint32 baudrateValue(TBaudrate rate)
{
    static constexpr std::array<quint32, 15> values{110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                                    19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return rate < values.size() ? values[rate] : 9600;
}

quint32 commEventMask(TCommEventTypes events)
{
    using namespace CommPlatform;
    quint32 mask = 0;
    if (events & evBreak)
        mask |= EventBit::Break;
    if (events & evCts)
        mask |= EventBit::Cts;
    if (events & evDsr)
        mask |= EventBit::Dsr;
    if (events & evError)
        mask |= EventBit::Err;
    if (events & evRing)
        mask |= EventBit::Ring;
    if (events & evRlsd)
        mask |= EventBit::Rlsd;
    if (events & evRxChar)
        mask |= EventBit::RxChar;
    if (events & evRxFlag)
        mask |= EventBit::RxFlag;
    if (events & evTxEmpty)
        mask |= EventBit::TxEmpty;
    return mask;
}
