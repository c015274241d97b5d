// The markup reader: markers of every kind by name and by number, text runs
// and paragraphs, the dark colour, tabs, pictures, escapes and comments, and
// every fault with the line and column it is reported at.

#include "DocumentBuilder.h"
#include "QtPrinters.h"

#include "compiler/Compiler.h"
#include "document/pictures/BitmapFile.h"
#include "document/markup/MarkupReader.h"
#include "document/model/StyleConversion.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QImage rows(const std::vector<QByteArray> &pixels)
{
    return DocumentBuilder::pictureFromRows(pixels);
}

// Three columns: all red, all black, red only in the top row.
QImage threeColumns()
{
    return rows({"R.R", "R..", "R..", "R..", "R..", "R..", "R..", "R.."});
}

class MarkupReaderTest : public ::testing::Test {
protected:
    ComposedMessage read(const QByteArray &utf8)
    {
        MarkupError error;
        std::optional<ComposedMessage> message = readMarkup(utf8, m_dir.path(), &error);
        EXPECT_TRUE(message) << error.at.line << ':' << error.at.column << ": " << error.message.toStdString();
        return message ? std::move(*message) : ComposedMessage{};
    }
    ComposedMessage read(const char *utf8) { return read(QByteArray(utf8)); }

    MarkupError fault(const QByteArray &utf8)
    {
        MarkupError error;
        EXPECT_FALSE(readMarkup(utf8, m_dir.path(), &error)) << utf8.constData();
        return error;
    }

    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QDir(m_dir.path()).mkpath(QFileInfo(name).path());
        QFile file(m_dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void writePicture(const QString &name, const QImage &image) { writeFile(name, BitmapFile::encode(image)); }

    QTemporaryDir m_dir;
};

int indexOf(const SourceItem &item)
{
    return item.control ? item.control->ItemIndex : -2;
}

} // namespace

// ---------------------------------------------------------------------------
// Markers

TEST_F(MarkupReaderTest, EveryEntryOfEveryKindByNameAndByNumber)
{
    const std::pair<MarkerKind, const char *> words[] = {
        {MarkerKind::Effect, "effect"}, {MarkerKind::EffectClear, "clear"}, {MarkerKind::Pause, "pause"},
        {MarkerKind::Speed, "speed"},   {MarkerKind::Font, "font"},         {MarkerKind::Info, "info"},
    };
    for (const auto &[kind, word] : words) {
        const QStringList &entries = markerKindInfo(kind).entries;
        QByteArray markup;
        for (int i = 0; i < entries.size(); ++i)
            markup += "{" + QByteArray(word) + ": " + entries.at(i).toUtf8() + "}";
        // Speed entries are named by numbers: there a number is the name;
        // a number of a pause is seconds (below).
        if (kind != MarkerKind::Speed && kind != MarkerKind::Pause) {
            for (int i = 0; i < entries.size(); ++i)
                markup += "{" + QByteArray(word) + ": " + QByteArray::number(i) + "}";
        }
        const ComposedMessage message = read(markup);
        const qsizetype perPass = entries.size();
        const bool namesOnly = kind == MarkerKind::Speed || kind == MarkerKind::Pause;
        ASSERT_EQ(message.document.itemCount(), namesOnly ? perPass : 2 * perPass) << word;
        for (int n = 0; n < message.document.itemCount(); ++n) {
            const SourceItem &item = message.document.item(n);
            EXPECT_EQ(item.markerKind(), kind) << word;
            EXPECT_EQ(indexOf(item), n % perPass) << word << " item " << n;
        }
    }
}

TEST_F(MarkupReaderTest, NamesIgnoreCaseAndBlanksAndANameIsWhatTheSignShows)
{
    const ComposedMessage message = read("{ EFFECT :  сдвигом ВЛЕВО  }{Info:время в формате ЧЧ:ММ:СС}"
                                         "{font:\tвысокий 6X8 }{speed: 5}{speed: 05}");
    ASSERT_EQ(message.document.itemCount(), 5);
    EXPECT_EQ(indexOf(message.document.item(0)), 3);
    EXPECT_EQ(indexOf(message.document.item(1)), 1) << "the value runs past the colons of the entry";
    EXPECT_EQ(indexOf(message.document.item(2)), 1);
    EXPECT_EQ(indexOf(message.document.item(3)), 4) << "speed 5, not entry number 5";
    EXPECT_EQ(indexOf(message.document.item(4)), 4) << "a number is the speed";
}

TEST_F(MarkupReaderTest, APauseNumberIsSecondsAndASpeedNumberIsTheSpeed)
{
    // Each group is one entry written the ways a script writer writes it.
    const std::pair<QByteArray, int> pauses[] = {
        {"1", 3},    {"1 сек.", 3}, {"1.0", 3},  {"0,5", 2}, {"0.5", 2}, {"0,50", 2},
        {"0,1", 0},  {".1", -1},    {"0.3", 1},  {"2", 4},   {"15", 17}, {"15 СЕК.", 17},
    };
    for (const auto &[value, index] : pauses) {
        SCOPED_TRACE(value.toStdString());
        if (index < 0) {
            EXPECT_TRUE(fault("{pause: " + value + "}").message.contains(u"pause has no entry"_s));
            continue;
        }
        const ComposedMessage message = read("{pause: " + value + "}");
        ASSERT_EQ(message.document.itemCount(), 1);
        EXPECT_EQ(indexOf(message.document.item(0)), index);
    }
    const ComposedMessage speeds = read("{speed: 1}{speed: 20}{effect: 1}{font: 0}");
    ASSERT_EQ(speeds.document.itemCount(), 4);
    EXPECT_EQ(indexOf(speeds.document.item(0)), 0);
    EXPECT_EQ(indexOf(speeds.document.item(1)), 19);
    EXPECT_EQ(indexOf(speeds.document.item(2)), 1) << "other kinds keep the entry's number";
    EXPECT_EQ(indexOf(speeds.document.item(3)), 0);
}

// ---------------------------------------------------------------------------
// Text, paragraphs, comments, escapes

TEST_F(MarkupReaderTest, ALineIsAParagraphOfRuns)
{
    const ComposedMessage message = read("Привет, {effect: Слева}мир\n\n  Вторая строка\n");
    const SourceDocument &doc = message.document;
    ASSERT_EQ(doc.itemCount(), 5);
    EXPECT_EQ(doc.item(0).text, QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2\x2C\x20"));
    EXPECT_EQ(doc.item(0).options, 0);
    EXPECT_EQ(doc.item(1).markerKind(), MarkerKind::Effect);
    EXPECT_EQ(doc.item(1).options, ItemOption::ContinuesParagraph);
    EXPECT_EQ(doc.item(2).text, QByteArray("\xEC\xE8\xF0"));
    EXPECT_EQ(doc.item(2).options, ItemOption::ContinuesParagraph);
    EXPECT_TRUE(doc.item(3).isText());
    EXPECT_TRUE(doc.item(3).text.isEmpty()) << "an empty line is an empty paragraph";
    EXPECT_EQ(doc.item(3).options, 0);
    EXPECT_EQ(doc.item(4).text, CodePage::toWindows1251(u"  Вторая строка"_s)) << "blanks are text";
    EXPECT_EQ(doc.item(4).options, 0);
    for (const SourceItem &item : doc.items)
        EXPECT_EQ(item.paraNo, 0);

    const std::vector<MarkupPosition> expected{{1, 1}, {1, 9}, {1, 24}, {2, 1}, {3, 1}};
    EXPECT_EQ(message.itemPositions, expected);
}

TEST_F(MarkupReaderTest, CommentsEscapesAndLineEnds)
{
    EXPECT_EQ(read("").document.itemCount(), 0);
    EXPECT_EQ(read("\n").document.itemCount(), 1);
    const ComposedMessage message = read("\xEF\xBB\xBF# a comment, not a paragraph\r\n"
                                         "{{a}} {#}1 # no comment {{}}\n"
                                         "{#}2\n"
                                         " # blank first\n"
                                         "#\n"
                                         "last");
    const SourceDocument &doc = message.document;
    ASSERT_EQ(doc.itemCount(), 4);
    EXPECT_EQ(doc.item(0).text, QByteArray("{a} #1 # no comment {}")) << "one run through the escapes";
    EXPECT_EQ(doc.item(3).text, QByteArray("last"));
    EXPECT_EQ(doc.item(1).text, QByteArray("#2"));
    EXPECT_EQ(doc.item(2).text, QByteArray(" # blank first"));
    EXPECT_EQ(message.itemPositions[0], (MarkupPosition{2, 1}));
    EXPECT_EQ(message.itemPositions[1], (MarkupPosition{3, 1}));
}

TEST_F(MarkupReaderTest, InverseTextTakesTheStyleTheColourCommandMakes)
{
    // Without {inverse} the table is a new document's.
    EXPECT_EQ(read("{effect: 0}A").document.styles, TRVStyle::newDocument());

    const ComposedMessage message = read("A{inverse}B{/inverse}C\n{inverse}D\nE\tF{/inverse}G");
    const SourceDocument &doc = message.document;
    TRVStyle tables = TRVStyle::newDocument();
    StyleConversion::applySignColour(tables, 0, SignColour::DarkOnRed);
    EXPECT_EQ(doc.styles, tables);

    ASSERT_EQ(doc.itemCount(), 8);
    const int expected[] = {0, 2, 0, 2, 2, -12, 2, 0};
    for (int i = 0; i < doc.itemCount(); ++i)
        EXPECT_EQ(doc.item(i).styleNo, expected[i]) << "item " << i;
    EXPECT_EQ(doc.item(5).tabTextStyle, 2) << "a tab takes the colour in force";
    EXPECT_EQ(doc.item(5).options, ItemOption::ContinuesParagraph);

    const CheckResult result = Compiler::compile(read("{effect: 0}A{inverse}B{/inverse}C").document);
    EXPECT_EQ(result.program, QByteArray::fromHex("0201" "0000" "41" "0101" "42" "0100" "43" "00" "03" "0000"));
}

// ---------------------------------------------------------------------------
// Pictures

TEST_F(MarkupReaderTest, PicturesAreShownAsTheGraphicEditorInsertsThem)
{
    writePicture(u"logo.bmp"_s, threeColumns());
    writePicture(u"sub/wide.bmp"_s, rows({"RRRRRRRRRR", "..........", "..........", "..........", "..........",
                                          "..........", "..........", ".........R"}));
    const QByteArray absolute = QDir(m_dir.path()).absoluteFilePath(u"logo.bmp"_s).toUtf8();
    const ComposedMessage message =
        read("{effect: 0}{picture: logo.bmp} {picture: sub/wide.bmp}\n{picture: " + absolute + "}");
    const SourceDocument &doc = message.document;
    ASSERT_EQ(doc.itemCount(), 5);
    const SourceItem &logo = doc.item(1);
    ASSERT_TRUE(logo.isPicture());
    EXPECT_TRUE(logo.picture->isBitmap());
    EXPECT_EQ(logo.extras.width, 9);
    EXPECT_EQ(logo.extras.height, 24);
    EXPECT_EQ(logo.options, ItemOption::ContinuesParagraph);
    EXPECT_EQ(logo.picture->body(), BitmapFile::encode(threeColumns()));
    EXPECT_EQ(doc.item(3).extras.width, 30);
    EXPECT_EQ(doc.item(4).picture, logo.picture) << "one file is read once";
    EXPECT_EQ(doc.item(4).options, 0);

    const CheckResult result = Compiler::compile(read("{effect: 0}{picture: logo.bmp}").document);
    EXPECT_EQ(result.program, QByteArray::fromHex("0201" "0000" "020003FF0080" "00" "03" "0000"));
}

// ---------------------------------------------------------------------------
// Faults, each where it is

TEST_F(MarkupReaderTest, EveryFaultIsReportedWhereItIs)
{
    writeFile(u"text.bmp"_s, "hello, not a bitmap");
    writePicture(u"seven.bmp"_s, rows({"R", "R", "R", "R", "R", "R", "R"}));
    QImage sixteen(4, 16, QImage::Format_RGB32);
    sixteen.fill(qRgb(0, 0, 0));
    writePicture(u"sixteen.bmp"_s, sixteen);
    QImage darkRed = threeColumns();
    darkRed.setPixel(1, 0, qRgb(0x80, 0, 0));
    writePicture(u"dark-red.bmp"_s, darkRed);
    QImage white = threeColumns();
    white.setPixel(2, 7, qRgb(255, 255, 255));
    writePicture(u"white.bmp"_s, white);
    writePicture(u"😀.bmp"_s, threeColumns());

    struct Case {
        QByteArray markup;
        MarkupPosition at;
        QString message;
    };
    const Case cases[] = {
        {"{effekt: 1}", {1, 2}, u"unknown kind \"effekt\"; braces start with one of effect, clear, pause"_s},
        {"Привет {x}", {1, 9}, u"unknown kind \"x\""_s},
        {"{ Effect Слева}", {1, 9}, u"a colon is missing after \"effect\": write {effect: Слева}"_s},
        {"ab\n{effect: Слвеа}", {2, 10}, u"effect has no entry \"Слвеа\"; its entries are \"Слева\", \"Справа\""_s},
        {"{pause: 3}{pause: x}", {1, 19}, u"\"0,1 сек.\", \"0,3 сек.\""_s},
        {"{clear: 29}", {1, 9}, u"clear number 29 is out of range: the numbers go from 0 to 28"_s},
        {"{info: -1}", {1, 8}, u"info number -1 is out of range: the numbers go from 0 to 4"_s},
        {"{speed: 21}", {1, 9}, u"speed 21 is out of range: the speeds go from 1 to 20"_s},
        {"{speed: 0}", {1, 9}, u"speed 0 is out of range: the speeds go from 1 to 20"_s},
        {"{pause: 16}", {1, 9}, u"pause has no entry of 16 seconds; its entries are \"0,1 сек.\""_s},
        {"{pause: 0,25}", {1, 9}, u"pause has no entry of 0,25 seconds"_s},
        {"{pause: 0}", {1, 9}, u"pause has no entry of 0 seconds"_s},
        {"x {effect: 0", {1, 3}, u"the brace is not closed on its line"_s},
        {"x {effect: 0\n}", {1, 3}, u"the brace is not closed on its line"_s},
        {"a}b", {1, 2}, u"a closing brace without an opening one; write }} for a brace"_s},
        {"A\n {inverse}B\nC", {2, 2}, u"{inverse} is not closed; end the dark text with {/inverse}"_s},
        {"A{/inverse}", {1, 2}, u"{/inverse} without {inverse} before it"_s},
        {"{inverse}{INVERSE}", {1, 10}, u"{inverse} inside {inverse}"_s},
        {"{inverse: 1}", {1, 9}, u"{inverse} takes no value"_s},
        {"{effect}", {1, 1}, u"{effect} needs an entry: {effect: NAME} or {effect: NUMBER}"_s},
        {"{font:  }", {1, 1}, u"{font} needs an entry"_s},
        {"{picture}", {1, 1}, u"{picture} needs a file"_s},
        {"{ }", {1, 1}, u"empty braces"_s},
        {"Привет ß", {1, 8}, u"the character ß (U+00DF) cannot be carried in Windows-1251"_s},
        {"{picture: 😀.bmp}中", {1, 17}, u"the character 中 (U+4E2D)"_s},
        {"ok 😀", {1, 4}, u"(U+1F600)"_s},
        {"a\tb\x01", {1, 4}, u"the control character U+0001 cannot stand in a message"_s},
        {"a\rb", {1, 2}, u"U+000D"_s},
        {"ab\n\xD1\x81\xD0\xB4\xFF", {2, 3}, u"not UTF-8 text (byte 0xFF)"_s},
        {"a\xD1\nb", {1, 2}, u"not UTF-8 text (byte 0xD1)"_s},
        {"{picture: none.bmp}", {1, 11}, u"the picture file \"none.bmp\" is missing"_s},
        {"{picture: text.bmp}", {1, 11}, u"the picture file \"text.bmp\" is not a bitmap"_s},
        {"{picture: seven.bmp}", {1, 11}, u"the picture \"seven.bmp\" is 7 pixels high; the sign shows pictures 8"_s},
        {"{picture: sixteen.bmp}", {1, 11}, u"is 16 pixels high"_s},
        {"{picture: dark-red.bmp}", {1, 11}, u"has the colour #800000 at x 1, y 0; only pure red"_s},
        {"{picture: white.bmp}", {1, 11}, u"has the colour #FFFFFF at x 2, y 7"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.markup.toStdString());
        const MarkupError error = fault(c.markup);
        EXPECT_EQ(error.at, c.at) << error.at.line << ':' << error.at.column;
        EXPECT_TRUE(error.message.contains(c.message)) << error.message.toStdString();
    }
}

TEST_F(MarkupReaderTest, TheFirstFaultIsTheOneReported)
{
    const MarkupError error = fault("{effect: 0}ok\n{speed: 99} {nothing}\n{inverse}");
    EXPECT_EQ(error.at, (MarkupPosition{2, 9}));
}
