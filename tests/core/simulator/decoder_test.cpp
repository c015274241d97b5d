// The compiled program read back into its structure: the programs the check
// writes come back element for element (and, written again, byte for byte
// with the same listing), and programs that break the format are refused
// with the offset of the fault.

#include "SimulatorTestSupport.h"

#include "document/streams/ClassRegistry.h"
#include "document/sourcefile/SourceFileReader.h"
#include "ProgramEncoder.h"

#include <QDir>
#include <QFile>

#include <map>

using namespace Qt::StringLiterals;
using B = DocumentBuilder;
using CK = ContentElement::Kind;
using PK = ProgramElement::Kind;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Decoding and encoding again gives the check's program and listing.
QByteArray expectRoundTrip(const SourceDocument &document, const QString &pressure = u"17"_s)
{
    const CheckResult result = Compiler::compile(document, pressure, u"300"_s);
    EXPECT_TRUE(result.succeeded());
    const CompiledProgram program = decoded(result.program);
    EXPECT_EQ(program.pressure, quint8(pressure.toInt()));
    EXPECT_EQ(program.humidity, 44);
    const ProgramWriter again = encodeProgram(program);
    EXPECT_EQ(again.program(), result.program);
    EXPECT_EQ(again.listing(), result.listing);
    return result.program;
}

std::vector<const ContentElement *> contentOfKind(const CompiledProgram &program, CK kind)
{
    std::vector<const ContentElement *> found;
    for (const ProgramElement &element : program.elements)
        for (const ContentElement &content : element.content)
            if (content.kind == kind)
                found.push_back(&content);
    return found;
}

int elementsOfKind(const CompiledProgram &program, PK kind)
{
    int count = 0;
    for (const ProgramElement &element : program.elements)
        count += element.kind == kind;
    return count;
}

QImage pictureOfWidth(int width)
{
    // Column x lights the rows of the bits of x, so every column differs
    // from its neighbours.
    QImage image(width, 8, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < 8; ++y)
            image.setPixel(x, y, ((x + 1) & (0x80 >> y)) ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
    return image;
}

} // namespace

TEST(Decoder, TheFormatsExampleElementByElement)
{
    // Output effect 0, "AB", pause 3, output effect 2, "C" in colour code 1.
    const CompiledProgram program = decoded(hexBytes("02 01 00 00 41 42 00 1F 03 00 02 01 01 43 00 03 00 00"));
    CompiledProgram expected;
    expected.elements = {
        {PK::Effect, 0, {{CK::Text, 0, "AB", 4}}, 2},
        {PK::Pause, 3, {}, 7},
        {PK::Effect, 2, {{CK::Colour, 1, {}, 11}, {CK::Text, 0, "C", 13}}, 9},
    };
    EXPECT_EQ(program, expected);
}

TEST(Decoder, BytesMeanByTheirLevel)
{
    // 0x01 opens a clear record at the top and is a colour inside a record;
    // 0x03 ends the program at the top and is a date/time inside a record;
    // commands stand at both levels.
    const CompiledProgram program
        = decoded(hexBytes("02 01 1D 00 01 05 00 00 07 1E 02 03 01 1F 04 02 00 01 80 00 03 FF 00"));
    ASSERT_EQ(program.elements.size(), 3u);
    EXPECT_EQ(program.elements[0].kind, PK::Font);
    EXPECT_EQ(program.elements[1].kind, PK::Clear);
    EXPECT_EQ(program.elements[1].value, 5);
    const ProgramElement &record = program.elements[2];
    EXPECT_EQ(record.kind, PK::Effect);
    EXPECT_EQ(record.value, 7);
    ASSERT_EQ(record.content.size(), 4u);
    EXPECT_EQ(record.content[0].kind, CK::Speed);
    EXPECT_EQ(record.content[1].kind, CK::DateTime);
    EXPECT_EQ(record.content[1].value, 1);
    EXPECT_EQ(record.content[2].kind, CK::Pause);
    EXPECT_EQ(record.content[3].kind, CK::Image);
    EXPECT_EQ(record.content[3].bytes, hexBytes("80"));
    EXPECT_EQ(program.pressure, 0xFF);
}

TEST(Decoder, TheExamplesComeBackWhole)
{
    // Their programs also seed the decoder's fuzzer (fuzz/program-seeds),
    // made again with ORAVELT_REGENERATE_EXAMPLES=1.
    ClassRegistry::registerStandardClasses();
    const bool regenerate = qEnvironmentVariableIntValue("ORAVELT_REGENERATE_EXAMPLES") != 0;
    const QString directory = QStringLiteral(ORAVELT_SOURCE_DIR "/examples/");
    const QString seeds = QStringLiteral(ORAVELT_SOURCE_DIR "/fuzz/program-seeds/");
    const QStringList files = QDir(directory).entryList({u"*.abc"_s}, QDir::Files);
    ASSERT_GE(files.size(), 4);
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        SourceDocument document;
        ASSERT_TRUE(ReadSourceFile(directory + name, document));
        const QByteArray program = expectRoundTrip(document, u"0"_s);
        const QString seed = seeds + name.chopped(4) + u".dat"_s;
        if (regenerate) {
            QFile file(seed);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(program);
        }
        EXPECT_EQ(readFile(seed), program) << "regenerate the fuzzer's seeds with ORAVELT_REGENERATE_EXAMPLES=1";
    }
}

TEST(Decoder, GeneratedDocumentsComeBackWhole)
{
    // Every marker kind and entry, both colours, pictures of widths 1, 8 and
    // 300, every date and time, commands inside and between records.
    for (int effect = 0; effect < 20; ++effect) {
        SCOPED_TRACE(effect);
        expectRoundTrip(B().effect(effect).text("Ж").info(effect % 5).pause(effect % 18).clear(effect % 29).build());
    }
    B b;
    b.font(0).speed(19).effect(3).text("Красный ").text("на красном", B::Dark).picture(pictureOfWidth(1));
    b.speed(0).font(1).text(" 8:").picture(pictureOfWidth(8)).info(1).pause(17);
    b.clear(28).pause(0).effect(18).text("ш", B::Dark).picture(pictureOfWidth(300)).text("!");
    b.effect(2).effect(9).info(4).clear(23).speed(4);
    const SourceDocument document = b.build();
    expectRoundTrip(document);

    const CompiledProgram program = decoded(compiled(document));
    EXPECT_EQ(elementsOfKind(program, PK::Effect), 4);
    EXPECT_EQ(elementsOfKind(program, PK::Clear), 2);
    const auto pictures = contentOfKind(program, CK::Image);
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_EQ(pictures[0]->bytes, hexBytes("01"));
    EXPECT_EQ(pictures[1]->bytes, hexBytes("01 02 03 04 05 06 07 08"));
    ASSERT_EQ(pictures[2]->bytes.size(), 300);
    for (int x = 0; x < 300; ++x)
        ASSERT_EQ(quint8(pictures[2]->bytes[x]), quint8(x + 1)) << x;
    const auto texts = contentOfKind(program, CK::Text);
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0]->bytes, CodePage::toWindows1251(u"Красный "));
    EXPECT_EQ(texts[1]->bytes, CodePage::toWindows1251(u"на красном"));
    const auto colours = contentOfKind(program, CK::Colour);
    ASSERT_EQ(colours.size(), 4u);  // dark, red for " 8:", dark for "ш", red for "!"
    EXPECT_EQ(colours[0]->value, 1);
    EXPECT_EQ(colours[1]->value, 0);
    EXPECT_EQ(colours[2]->value, 1);
    const auto clocks = contentOfKind(program, CK::DateTime);
    ASSERT_EQ(clocks.size(), 2u);
    EXPECT_EQ(clocks[0]->value, 1);
    EXPECT_EQ(clocks[1]->value, 4);
}

TEST(Decoder, ProgramsOfChecksThatStoppedAtAnError)
{
    // A pause that looked ahead to an information marker stands inside the
    // clear record before it; the check then stopped at the marker.
    const CheckResult stopped = Compiler::compile(B().effect(0).text("A").clear(4).pause(2).info(0).build());
    ASSERT_TRUE(stopped.error.has_value());
    const CompiledProgram program = decoded(stopped.program);
    ASSERT_EQ(program.elements.size(), 2u);
    EXPECT_EQ(program.elements[1].kind, PK::Clear);
    EXPECT_EQ(program.elements[1].content, (std::vector<ContentElement>{{CK::Pause, 2, {}, 8}}));
    EXPECT_EQ(encodeProgram(program).program(), stopped.program);

    // A picture with a pixel of another colour is cut after that column:
    // fewer columns than its width follow.
    QImage bad = pictureOfWidth(10);
    bad.setPixel(2, 3, qRgb(255, 255, 255));
    const CheckResult cut = Compiler::compile(B().effect(0).picture(bad).build());
    ASSERT_TRUE(cut.error.has_value());
    ProgramError error;
    EXPECT_FALSE(decodeProgram(cut.program, &error));
    EXPECT_EQ(error.offset, 5);
    EXPECT_TRUE(error.expected.startsWith(u"10 column bytes of the picture at offset 4"_s)) << error.toString().toStdString();
}

TEST(Decoder, MalformedProgramsAreRefusedWhereTheyGoWrong)
{
    struct Fault {
        qsizetype offset;
        QString expected;  // the start of what the decoder expected
    };
    const std::map<QString, Fault> faults{
        {u"empty-file"_s, {0, u"the first start byte 0x02"_s}},
        {u"no-start-bytes"_s, {0, u"the first start byte 0x02"_s}},
        {u"wrong-second-start-byte"_s, {1, u"the second start byte 0x01"_s}},
        {u"effect-number-missing"_s, {3, u"the effect number of the record at offset 2"_s}},
        {u"record-cut-before-its-end"_s, {6, u"content or the end 0x00 of the record at offset 2"_s}},
        {u"no-end-mark"_s, {6, u"an effect record 0x00"_s}},
        {u"no-calibration-values"_s, {4, u"the two calibration values"_s}},
        {u"bytes-after-the-calibration-values"_s, {5, u"the end of the program"_s}},
        {u"picture-width-past-the-end"_s, {5, u"10 column bytes of the picture at offset 4, but only 6 remain"_s}},
        {u"picture-width-cut"_s, {6, u"the two width bytes of the picture at offset 4"_s}},
        {u"text-at-the-top-level"_s, {2, u"an effect record 0x00"_s}},
        {u"text-in-a-clear-record"_s, {4, u"the end 0x00 of the clear record at offset 2"_s}},
        {u"colour-code-missing"_s, {5, u"the colour code of the colour element at offset 4"_s}},
    };
    const QString directory = QStringLiteral(ORAVELT_SOURCE_DIR "/tests/data/malformed-programs/");
    const QStringList files = QDir(directory).entryList({u"*.dat"_s}, QDir::Files);
    EXPECT_EQ(files.size(), qsizetype(faults.size())) << "every file needs its fault in the table";
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const auto fault = faults.find(file.chopped(4));
        ASSERT_NE(fault, faults.end());
        ProgramError error;
        EXPECT_FALSE(decodeProgram(readFile(directory + file), &error));
        EXPECT_EQ(error.offset, fault->second.offset);
        EXPECT_TRUE(error.expected.startsWith(fault->second.expected)) << error.toString().toStdString();
    }
}

TEST(Decoder, ACutNeverReadsPastTheEnd)
{
    // Every prefix of a valid program is refused, at an offset within it.
    const QByteArray whole = compiled(B().effect(3).text("AB").picture(pictureOfWidth(9)).info(2).pause(1).build());
    for (qsizetype size = 0; size < whole.size(); ++size) {
        const QByteArray prefix = whole.left(size);
        ProgramError error;
        EXPECT_FALSE(decodeProgram(prefix, &error)) << size;
        EXPECT_LE(error.offset, size);
    }
    EXPECT_TRUE(decodeProgram(whole));
}
