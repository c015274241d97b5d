#pragma once

#include "DocumentBuilder.h"
#include "QtPrinters.h"
#include "StreamBytes.h"

#include "document/streams/ClassRegistry.h"
#include "document/model/CodePage.h"
#include "document/sourcefile/SourceFileReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <gtest/gtest.h>

// The bytes of a new document's text style table (73) and paragraph style
// table (88), spelled out from their properties.
inline QByteArray newTextStyleTable()
{
    using namespace StreamBytes;
    return hex("0E 01") + name("StyleName") + ascii("Normal text") + name("FontName") + ascii("Times New Roman")
        + name("Size") + hex("02 0E") + name("Color") + ident("clRed") + hex("00 00");
}

inline QByteArray newParaStyleTable()
{
    using namespace StreamBytes;
    return hex("0E") + hex("01") + name("StyleName") + ascii("Paragraph Style") + name("Tabs") + hex("0E 00")
        + hex("00") + hex("01") + name("StyleName") + ascii("Centered") + name("Alignment") + ident("rvaCenter")
        + name("Tabs") + hex("0E 00") + hex("00") + hex("00");
}

inline QByteArray layoutBlock()
{
    return StreamBytes::hex("00000000 19000000 05000000 05000000 05000000 05000000 00000000 00000000 00");
}

// Lines 1 to 14 of every file this system writes for a new document's
// tables: version, background, the three tables and the layout.
inline QByteArray newDocumentPrologue()
{
    using namespace StreamBytes;
    return QByteArray("-8 1 3\r\n-7 0 -1 0 0 0 0 56\r\n") + "-9 2 0 0 2 0 1\r\nrvs\r\n" + block(newTextStyleTable())
        + "-9 2 0 0 2 0 2\r\nrvs\r\n" + block(newParaStyleTable()) + "-9 2 0 0 2 0 4\r\nrvs\r\n"
        + block(hex("0E 00")) + "-9 2 0 0 2 0 3\r\n\r\n" + block(layoutBlock());
}

inline QByteArray cp1251(const char *utf8)
{
    return CodePage::toWindows1251(QString::fromUtf8(utf8));
}

inline SourceDocument readBytes(const QByteArray &bytes, bool expectOk = true)
{
    ClassRegistry::registerStandardClasses();
    SourceDocument doc;
    FileError error;
    const bool ok = readSourceBytes(bytes, doc, &error);
    EXPECT_EQ(ok, expectOk) << error.toString().toStdString();
    return doc;
}
