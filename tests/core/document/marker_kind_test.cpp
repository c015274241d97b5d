// The six marker kinds: classes, entry tables, prefixes and defaults.

#include "document/streams/ClassRegistry.h"
#include "document/model/EmbeddedControl.h"
#include "document/model/SourceDocument.h"
#include "document/model/StyleTables.h"

#include <gtest/gtest.h>

#include "QtPrinters.h"

using namespace Qt::StringLiterals;

TEST(MarkerKinds, TableOfTheSixKinds)
{
    struct Row {
        MarkerKind kind;
        const char *className;
        const char *box;
        int width;
        int entries;
        int defaultEntry;
        QString prefix;
        bool copies;
    } rows[] = {
        {MarkerKind::Effect, "TEffectComboBox", "EffectCB", 129, 20, 0, u"В."_s, true},
        {MarkerKind::EffectClear, "TEffectClearComboBox", "EffectClearCB", 129, 29, 2, u"О."_s, true},
        {MarkerKind::Pause, "TPauseComboBox", "PauseCB", 65, 18, 3, u"П."_s, false},
        {MarkerKind::Speed, "TSpeedComboBox", "SpeedCB", 49, 20, 9, u"С."_s, false},
        {MarkerKind::Font, "TFontComboBox", "fontCB", 121, 2, 1, u"Ш."_s, false},
        {MarkerKind::Info, "TInfoComboBox", "InfoCB", 157, 5, 0, u"И."_s, true},
    };
    ASSERT_EQ(allMarkerKinds().size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        const Row &row = rows[i];
        const MarkerKindInfo &info = markerKindInfo(row.kind);
        EXPECT_EQ(allMarkerKinds()[i], row.kind);
        EXPECT_STREQ(info.className, row.className);
        EXPECT_STREQ(info.toolbarBox, row.box);
        EXPECT_EQ(info.width, row.width);
        EXPECT_EQ(info.entries.size(), row.entries) << row.className;
        EXPECT_EQ(info.defaultEntry, row.defaultEntry);
        EXPECT_EQ(info.prefix, row.prefix);
        EXPECT_EQ(info.copiesColourAndFont, row.copies);
        EXPECT_EQ(markerKindOfClass(row.className), row.kind);
    }
    EXPECT_EQ(markerKindInfo(MarkerKind::Effect).label, u"Режим вывода"_s);
    EXPECT_EQ(markerKindInfo(MarkerKind::EffectClear).hint, u"Режим очистки дисплея"_s);
    EXPECT_EQ(markerKindInfo(MarkerKind::Info).hint, u"Вывести дополнительную информацию"_s);
}

TEST(MarkerKinds, KindIsToldByExactClassNameOnly)
{
    EXPECT_FALSE(markerKindOfClass("TComboBox"));
    EXPECT_FALSE(markerKindOfClass("TImage"));
    EXPECT_FALSE(markerKindOfClass("teffectcombobox"));
    EXPECT_FALSE(markerKindOfClass("TEffectComboBoxEx"));
    SourceItem item = SourceItem::controlItem(makeMarker(MarkerKind::Pause, 0));
    EXPECT_EQ(item.markerKind(), MarkerKind::Pause);
    item.control->className = "TListBox";
    EXPECT_FALSE(item.markerKind());
}

TEST(MarkerKinds, EntryTablesThatDifferBetweenEffectAndClear)
{
    const QStringList &effect = markerKindInfo(MarkerKind::Effect).entries;
    const QStringList &clear = markerKindInfo(MarkerKind::EffectClear).entries;
    EXPECT_EQ(effect.at(5), u"Сдвигом вниз"_s);
    EXPECT_EQ(effect.at(6), u"Сдвигом вверх"_s);
    EXPECT_EQ(effect.at(7), u"Сдвигом из центра"_s);
    EXPECT_EQ(effect.at(18), u"Растянуть из центра(гор.)"_s);
    EXPECT_EQ(clear.at(4), u"Сдвигом вверх"_s);
    EXPECT_EQ(clear.at(5), u"Сдвигом вниз"_s);
    EXPECT_EQ(clear.at(6), u"Сдвигом в центр"_s);
    EXPECT_EQ(clear.at(23), u"*Негатив"_s);
    EXPECT_EQ(clear.at(27), u"*Зеркальный верт."_s);
    EXPECT_EQ(clear.last(), u"Случайный"_s);
}

TEST(MarkerKinds, PauseSpeedFontAndInfoEntries)
{
    const QStringList &pause = markerKindInfo(MarkerKind::Pause).entries;
    EXPECT_EQ(pause.mid(0, 5), (QStringList{u"0,1 сек."_s, u"0,3 сек."_s, u"0,5 сек."_s, u"1 сек."_s, u"2 сек."_s}));
    EXPECT_EQ(pause.at(17), u"15 сек."_s);
    const QStringList &speed = markerKindInfo(MarkerKind::Speed).entries;
    EXPECT_EQ(speed.first(), u"1"_s);
    EXPECT_EQ(speed.last(), u"20"_s);
    EXPECT_EQ(markerKindInfo(MarkerKind::Font).entries, (QStringList{u"Широкий высокий"_s, u"Высокий 6x8"_s}));
    EXPECT_EQ(markerKindInfo(MarkerKind::Font).entries.at(1).at(9), QChar(u'x')) << "Latin x in 6x8";
    EXPECT_EQ(markerKindInfo(MarkerKind::Info).entries.at(2), u"Дата в формате мм/дд/гггг"_s);
}

TEST(MarkerKinds, NewMarkersCarryPrefixedEntriesAndTheirSelection)
{
    const EmbeddedControl effect = makeMarker(MarkerKind::Effect, 0);
    EXPECT_EQ(effect.className, "TEffectComboBox");
    EXPECT_EQ(effect.Items.at(0), u"В.Слева"_s);
    EXPECT_EQ(effect.ItemIndex, 0);
    EXPECT_EQ(effect.Text, u"В.Слева"_s);
    EXPECT_EQ(effect.Width, 129);
    EXPECT_EQ(effect.DropDownCount, 20);
    EXPECT_EQ(effect.Hint, u"Режим вывода текста"_s);

    const EmbeddedControl font = makeMarker(MarkerKind::Font, markerKindInfo(MarkerKind::Font).defaultEntry);
    EXPECT_EQ(font.ItemIndex, 1);
    EXPECT_EQ(font.Text, u"Ш.Высокий 6x8"_s);
    EXPECT_EQ(makeMarker(MarkerKind::Pause, 17).Text, u"П.15 сек."_s);
    EXPECT_EQ(makeMarker(MarkerKind::Speed, 0).Text, u"С.1"_s);
    EXPECT_EQ(makeMarker(MarkerKind::EffectClear, 23).Text, u"О.*Негатив"_s);
    EXPECT_EQ(makeMarker(MarkerKind::EffectClear, 0).DropDownCount, 29);

    const EmbeddedControl none = makeMarker(MarkerKind::Info, -1);
    EXPECT_EQ(none.ItemIndex, -1);
    EXPECT_TRUE(none.Text.isEmpty());
    EXPECT_EQ(makeMarker(MarkerKind::Info, 5).ItemIndex, -1) << "out of range selects nothing";
}

TEST(ClassRegistry, StandardClassesAreRegisteredByName)
{
    ClassRegistry::clear();
    EXPECT_FALSE(ClassRegistry::isRegistered("TEffectComboBox"));
    ClassRegistry::registerStandardClasses();
    EXPECT_EQ(ClassRegistry::registeredClasses(),
              (QList<QByteArray>{"TInfoComboBox", "TEffectComboBox", "TEffectClearComboBox", "TPauseComboBox",
                                 "TSpeedComboBox", "TFontComboBox", "TImage"}));
    EXPECT_TRUE(ClassRegistry::isRegistered("TImage"));
    EXPECT_FALSE(ClassRegistry::isRegistered("TComboBox"));
    ClassRegistry::registerStandardClasses();
    EXPECT_EQ(ClassRegistry::registeredClasses().size(), 7) << "registering twice adds nothing";
}

TEST(Styles, NewDocumentTables)
{
    const TRVStyle styles = TRVStyle::newDocument();
    ASSERT_EQ(styles.TextStyles.size(), 1u);
    const TFontInfo &normal = styles.TextStyles[0];
    EXPECT_EQ(normal.StyleName, u"Normal text"_s);
    EXPECT_EQ(normal.FontName, u"Times New Roman"_s);
    EXPECT_EQ(normal.Size, 14);
    EXPECT_EQ(normal.Color, Colour::Red);
    EXPECT_EQ(normal.BackColor, Colour::None);
    EXPECT_EQ(signColourCode(normal), 0);
    ASSERT_EQ(styles.ParaStyles.size(), 2u);
    EXPECT_EQ(styles.ParaStyles[0].StyleName, u"Paragraph Style"_s);
    EXPECT_EQ(styles.ParaStyles[1].Alignment, TParaInfo::rvaCenter);
    EXPECT_EQ(styles.ListStyles, QByteArray("\x0E\x00", 2));
}

TEST(Styles, SignColoursAreExactlyTwoPairs)
{
    TFontInfo s = TFontInfo::normalText();
    EXPECT_EQ(signColourCode(s), 0);
    s.BackColor = Colour::Black;
    EXPECT_FALSE(signColourCode(s)) << "red on an explicit black background";
    s.Color = Colour::Black;
    s.BackColor = Colour::Red;
    EXPECT_EQ(signColourCode(s), 1);
    s.Color = Colour::WindowText;
    EXPECT_FALSE(signColourCode(s));
    s.Color = Colour::Green;
    s.BackColor = Colour::None;
    EXPECT_FALSE(signColourCode(s));
}

TEST(Styles, FindIgnoresNameAndStandardMark)
{
    TRVStyle styles = TRVStyle::newDocument();
    TFontInfo dark = styles.TextStyles[0];
    dark.Color = Colour::Black;
    dark.BackColor = Colour::Red;
    EXPECT_EQ(styles.findTextStyle(dark), -1);
    styles.TextStyles.push_back(dark);
    TFontInfo renamed = dark;
    renamed.StyleName = u"other"_s;
    renamed.Standard = false;
    EXPECT_EQ(styles.findTextStyle(renamed), 1);
    EXPECT_EQ(styles.findTextStyle(renamed, 1), -1);
    renamed.Size = 15;
    EXPECT_EQ(styles.findTextStyle(renamed), -1);
}

TEST(Items, OptionBitRules)
{
    SourceItem item;
    item.options = ItemOption::LineBreakBefore | ItemOption::PageBreakBefore | ItemOption::Utf16Text;
    item.setContinuesParagraph();
    EXPECT_EQ(item.options, ItemOption::ContinuesParagraph | ItemOption::Utf16Text);
    item.setLineBreakBefore();
    EXPECT_EQ(item.options, ItemOption::LineBreakBefore | ItemOption::Utf16Text);
    item.setContinuesParagraph();
    item.setPageBreakBefore();
    EXPECT_EQ(item.options, ItemOption::PageBreakBefore | ItemOption::Utf16Text);
    EXPECT_TRUE(item.startsParagraph());
    item.setLineBreakBefore();
    EXPECT_FALSE(item.startsParagraph());
}

TEST(Items, OffsetsEncloseTheItem)
{
    SourceDocument doc;
    doc.append(SourceItem::textItem("Hello", 0));
    doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Effect, 0)));
    doc.append(SourceItem::textItem("", 0));
    EXPECT_EQ(doc.offsetBefore(0), 1);
    EXPECT_EQ(doc.offsetAfter(0), 6);
    EXPECT_EQ(doc.offsetBefore(1), 0);
    EXPECT_EQ(doc.offsetAfter(1), 1);
    EXPECT_EQ(doc.offsetAfter(2), 1);
}
