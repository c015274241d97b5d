// Marker controls as component streams: the exact bytes of a new marker,
// what is left out, and reading back with the selection applied last.

#include "QtPrinters.h"
#include "StreamBytes.h"

#include "document/model/Colour.h"
#include "document/model/EmbeddedControl.h"
#include "document/model/TextStyle.h"
#include "document/streams/MarkerStream.h"

#include <gtest/gtest.h>

using namespace StreamBytes;
using namespace Qt::StringLiterals;

namespace {

EmbeddedControl freshControl(const char *className)
{
    EmbeddedControl control;
    control.className = className;
    return control;
}

QByteArray markerStream(const char *className, const QByteArray &properties)
{
    return "TPF0" + name(className) + hex("00") + properties + hex("00 00");
}

} // namespace

TEST(MarkerStream, NewFontMarkerIsWrittenPropertyByProperty)
{
    const EmbeddedControl marker = makeMarker(MarkerKind::Font, 1);
    const QByteArray expected = markerStream(
        "TFontComboBox",
        name("Left") + int8(0) + name("Top") + int8(0) + name("Width") + int8(121) + name("Height") + int8(21)
            + name("Hint") + utf8(u"Шрифт текста"_s) + name("Style") + ident("csDropDownList")
            + name("DropDownCount") + int8(2) + name("ItemHeight") + int8(13) + name("ItemIndex") + int8(1)
            + name("Text") + utf8(u"Ш.Высокий 6x8"_s) + name("Items.Strings") + hex("01")
            + utf8(u"Ш.Широкий высокий"_s) + utf8(u"Ш.Высокий 6x8"_s) + hex("00"));
    EXPECT_EQ(EncodeMarkerControl(marker), expected);
    EXPECT_TRUE(EncodeMarkerControl(marker).endsWith(hex("00 00 00")))
        << "the entries' end, then the property list's and the child list's";
}

TEST(MarkerStream, CyrillicOnlyHintIsUtf16AndEntriesStayUtf8)
{
    EmbeddedControl marker = makeMarker(MarkerKind::Pause, 3);
    const QByteArray stream = EncodeMarkerControl(marker);
    EXPECT_TRUE(stream.contains(name("Hint") + utf16(u"Пауза"_s)));
    EXPECT_TRUE(stream.contains(name("Items.Strings") + hex("01") + utf8(u"П.0,1 сек."_s)));
    EXPECT_TRUE(stream.contains(name("DropDownCount") + int8(18)));

    marker = makeMarker(MarkerKind::Speed, 0);
    EXPECT_TRUE(EncodeMarkerControl(marker).contains(name("Items.Strings") + hex("01") + utf8(u"С.1"_s)));
}

TEST(MarkerStream, NoSelectionMeansNeitherItemIndexNorText)
{
    EmbeddedControl marker = makeMarker(MarkerKind::Effect, 0);
    marker.ItemIndex = -1;
    marker.Text.clear();
    marker.Tag = 5;
    marker.TabOrder = 2;
    marker.DropDownCount = 8;
    const QByteArray stream = EncodeMarkerControl(marker);
    EXPECT_FALSE(stream.contains(name("ItemIndex")));
    EXPECT_FALSE(stream.contains(name("Text")));
    EXPECT_FALSE(stream.contains(name("DropDownCount")));
    EXPECT_TRUE(stream.startsWith("TPF0" + name("TEffectComboBox") + hex("00") + name("Tag") + int8(5)));
    EXPECT_TRUE(stream.contains(name("ItemHeight") + int8(13) + name("TabOrder") + int8(2)));
}

TEST(MarkerStream, AFontOfItsOwnIsWrittenWithParentFontFalse)
{
    EmbeddedControl marker = makeMarker(MarkerKind::Info, 2);
    marker.Font = ControlFont{204, Colour::Red, -13, u"Arial"_s, quint8(TFontInfo::fsBold)};
    const QByteArray stream = EncodeMarkerControl(marker);
    EXPECT_TRUE(stream.contains(name("Font.Charset") + ident("RUSSIAN_CHARSET") + name("Font.Color") + ident("clRed")
                                + name("Font.Height") + int8(-13) + name("Font.Name") + ascii("Arial")
                                + name("Font.Style") + hex("0B") + name("fsBold") + hex("00") + name("ItemHeight")
                                + int8(13) + name("ItemIndex") + int8(2) + name("ParentFont") + hex("08")));
    EmbeddedControl read = freshControl("TInfoComboBox");
    ASSERT_TRUE(DecodeMarkerControl(stream, read));
    EXPECT_EQ(read, marker);
}

TEST(MarkerStream, EveryKindReadsBackAsItWasWritten)
{
    for (const MarkerKind kind : allMarkerKinds()) {
        const MarkerKindInfo &info = markerKindInfo(kind);
        const int last = int(info.entries.size()) - 1;
        for (const int index : {0, last}) {
            EmbeddedControl marker = makeMarker(kind, index);
            marker.Left = 300;
            marker.Top = -40000;
            EmbeddedControl read = freshControl(info.className);
            StreamError error;
            ASSERT_TRUE(DecodeMarkerControl(EncodeMarkerControl(marker), read, &error))
                << info.className << ": " << error.reason.toStdString();
            EXPECT_EQ(read, marker) << info.className << " entry " << index;
        }
    }
}

TEST(MarkerStream, SelectionBeforeTheEntriesSelectsAmongThem)
{
    // ItemIndex comes before Items.Strings; an index beyond the entries
    // selects nothing.
    const QByteArray entries = name("Items.Strings") + hex("01") + ascii("a") + ascii("b") + hex("00");
    EmbeddedControl read = freshControl("TSpeedComboBox");
    ASSERT_TRUE(DecodeMarkerControl(markerStream("TSpeedComboBox", name("ItemIndex") + int8(1) + entries), read));
    EXPECT_EQ(read.ItemIndex, 1);
    EXPECT_EQ(read.Items, (QStringList{u"a"_s, u"b"_s}));

    read = freshControl("TSpeedComboBox");
    ASSERT_TRUE(DecodeMarkerControl(markerStream("TSpeedComboBox", name("ItemIndex") + int8(2) + entries), read));
    EXPECT_EQ(read.ItemIndex, -1);
}

TEST(MarkerStream, ClassNameInsideTheStreamIsNotConsulted)
{
    EmbeddedControl read = freshControl("TPauseComboBox");
    ASSERT_TRUE(DecodeMarkerControl(markerStream("TSomethingElse", name("Width") + int8(65)), read));
    EXPECT_EQ(read.className, QByteArray("TPauseComboBox"));
    EXPECT_EQ(read.Width, 65);
}

TEST(MarkerStream, FlagsByteBeforeTheClassNameIsSkipped)
{
    EmbeddedControl read = freshControl("TFontComboBox");
    const QByteArray stream =
        "TPF0" + hex("F2") + int8(3) + name("TFontComboBox") + hex("00") + name("Width") + int8(9) + hex("00 00");
    ASSERT_TRUE(DecodeMarkerControl(stream, read));
    EXPECT_EQ(read.Width, 9);
}

TEST(MarkerStream, InvalidStreamsLeaveTheControlUnchanged)
{
    const std::vector<QByteArray> invalid{
        markerStream("TFontComboBox", name("Colour") + int8(1)),          // no such property
        markerStream("TFontComboBox", name("OnChange") + ident("Handler")),
        markerStream("TFontComboBox", name("Width") + ascii("wide")),       // wrong type
        markerStream("TFontComboBox", name("Items.Strings") + hex("01") + int8(3) + hex("00")),
        "TPF1" + name("TFontComboBox") + hex("00 00 00"),                   // bad signature
        markerStream("TFontComboBox", name("Width") + int8(9)).chopped(1),  // child list missing
        QByteArray("TPF0"),
    };
    for (const QByteArray &stream : invalid) {
        EmbeddedControl control = makeMarker(MarkerKind::Font, 0);
        const EmbeddedControl before = control;
        StreamError error;
        EXPECT_FALSE(DecodeMarkerControl(stream, control, &error)) << stream.toHex(' ').constData();
        EXPECT_FALSE(error.reason.isEmpty());
        EXPECT_EQ(control, before);
    }
}

TEST(MarkerStream, OtherControlsKeepTheirStreamWhenItIsWhole)
{
    const QByteArray image = "TPF0" + name("TImage") + name("Image1") + name("Picture.Data") + hex("0A") + le32(2)
        + "ab" + hex("00") + name("TLabel") + hex("00") + hex("00") + hex("00") + hex("00");
    EmbeddedControl control = freshControl("TImage");
    ASSERT_TRUE(DecodeMarkerControl(image, control));
    EXPECT_EQ(control.stream, image);
    EXPECT_EQ(EncodeMarkerControl(control), image);

    EmbeddedControl broken = freshControl("TImage");
    EXPECT_FALSE(DecodeMarkerControl(image.chopped(2), broken));
    EXPECT_TRUE(broken.stream.isEmpty());
}
