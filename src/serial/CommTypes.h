#pragma once

// The enumerations of the serial port, in the order and with the member names
// that stored window descriptions use.

#include <QFlags>
#include <QtGlobal>

enum TBaudrate : quint8 {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000,
};

enum TParity : quint8 { paNone, paOdd, paEven, paMark, paSpace };
enum TStopbits : quint8 { sb10, sb15, sb20 };
enum TDatabits : quint8 { da4, da5, da6, da7, da8 };
enum TFlowControl : quint8 { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };

enum TCommOption : quint8 {
    coParityCheck = 0x01,
    coDsrSensitivity = 0x02,
    coIgnoreXOff = 0x04,
    coErrorChar = 0x08,
    coNullStrip = 0x10,
};
Q_DECLARE_FLAGS(TCommOptions, TCommOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TCommOptions)

// Set members; the device event mask bit of each is commEventBit().
enum TCommEventType : quint16 {
    evBreak = 0x001,
    evCts = 0x002,
    evDsr = 0x004,
    evError = 0x008,
    evRing = 0x010,
    evRlsd = 0x020,
    evRxChar = 0x040,
    evRxFlag = 0x080,
    evTxEmpty = 0x100,
};
Q_DECLARE_FLAGS(TCommEventTypes, TCommEventType)
Q_DECLARE_OPERATORS_FOR_FLAGS(TCommEventTypes)

inline constexpr TCommEventTypes AllCommEvents = TCommEventTypes::fromInt(0x1FF);

// Lines SetSignal drives: DTR, RTS, the break state, and transmission (false
// holds output as if XOFF had been received, true resumes it).
enum TCommSignal : quint8 { siDtr, siRts, siBreak, siTransmission };

// Bit rate in bit/s of a TBaudrate member.
quint32 baudrateValue(TBaudrate rate);

// The device event mask (the Win32 EV_* layout) of a set of event types.
quint32 commEventMask(TCommEventTypes events);
