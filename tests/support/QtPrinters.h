#pragma once

// Readable GoogleTest output for Qt values.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    bool printable = true;
    for (const char c : bytes)
        printable = printable && ((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n');
    if (printable)
        *os << '"' << QByteArray(bytes).replace("\r", "\\r").replace("\n", "\\n").constData() << '"';
    else
        *os << "hex[" << bytes.toHex(' ').toUpper().constData() << ']';
}

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *os << '}';
}

inline void PrintTo(const QList<QByteArray> &list, std::ostream *os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        *os << (i ? ", " : "");
        PrintTo(list[i], os);
    }
    *os << '}';
}
