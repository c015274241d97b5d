#pragma once

// Item by item comparison of two documents, for Qt Test functions: the first
// difference fails the calling test with the item's number.

#include "document/model/SourceDocument.h"

#include <QTest>

inline void compareItems(const SourceDocument &actual, const SourceDocument &expected)
{
    QCOMPARE(actual.itemCount(), expected.itemCount());
    for (int i = 0; i < expected.itemCount(); ++i) {
        const SourceItem &a = actual.item(i);
        const SourceItem &e = expected.item(i);
        const QByteArray where = "item " + QByteArray::number(i);
        QVERIFY2(a.styleNo == e.styleNo, where);
        QVERIFY2(a.options == e.options, where + " options " + QByteArray::number(a.options));
        QVERIFY2(a.paraNo == e.paraNo, where + " para " + QByteArray::number(a.paraNo));
        QVERIFY2(a.text == e.text, where + " text " + a.text.toHex());
        QVERIFY2(a.tabTextStyle == e.tabTextStyle, where);
        QVERIFY2(a.extras == e.extras, where);
        QVERIFY2(a.picture == e.picture, where);
        QVERIFY2(bool(a.control) == bool(e.control), where);
        if (a.control)
            QVERIFY2(*a.control == *e.control, where);
        QVERIFY2(a.tag == e.tag, where + " tag");
        QVERIFY2(a.hint == e.hint, where);
        QVERIFY2(a.checkpoint == e.checkpoint, where + " checkpoint");
        QVERIFY2(a.name == e.name && a.vAlign == e.vAlign, where);
        QVERIFY2(a.opaque == e.opaque, where + " opaque");
    }
}
