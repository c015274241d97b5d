#pragma once

#include "DocumentBuilder.h"
#include "QtPrinters.h"
#include "compiler/Compiler.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>


// "02 01 0A" -> the three bytes.
inline QByteArray hexBytes(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// The listing's lines without their CR LF; every line must end with one.
inline QList<QByteArray> listingLines(const QByteArray &listing)
{
    QList<QByteArray> lines = listing.split('\n');
    EXPECT_TRUE(lines.last().isEmpty()) << "the listing must end with a line end";
    lines.removeLast();
    for (QByteArray &line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << "line without CR: " << line.constData();
        line.chop(1);
    }
    return lines;
}

// The body of the program between the start bytes and the end mark.
inline QByteArray body(const CheckResult &result)
{
    const QByteArray &p = result.program;
    EXPECT_GE(p.size(), 5);
    EXPECT_EQ(p.left(2), hexBytes("02 01"));
    EXPECT_EQ(quint8(p.at(p.size() - 3)), 0x03);
    return p.mid(2, p.size() - 5);
}
