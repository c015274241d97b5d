// The worked example of the compiled program and its listing, byte for byte
// and line for line.

#include "CompilerTestSupport.h"

TEST(ProgramExample, EighteenBytesAndFifteenListingLines)
{
    const SourceDocument doc =
        DocumentBuilder().effect(0).text("AB").pause(3).effect(2).text("C", DocumentBuilder::Dark).build();
    const CheckResult r = Compiler::compile(doc, QStringLiteral("0"), QStringLiteral("0"));
    ASSERT_TRUE(r.succeeded());
    EXPECT_EQ(r.program, hexBytes("02 01 00 00 41 42 00 1F 03 00 02 01 01 43 00 03 00 00"));
    const QByteArray expected =
        "0x02, \r\n"
        "0x01, \r\n"
        "0x00, // place effect\r\n"
        "0x00, // place effect\r\n"
        "0x41, 0x42, // text\r\n"
        "0x00,// close effect(image put), for new effect(1)\r\n"
        "0x1F, 0x03,// Insert EFFECT_PAUSE\r\n"
        "0x00, // place effect\r\n"
        "0x02, // place effect\r\n"
        "0x01, 0x01,// Insert EFFECT_COLOR\r\n"
        "0x43, // text\r\n"
        "0x00,// end text at effect(for item end)\r\n"
        "0x03,\r\n"
        "0x00,\r\n"
        "0x00\r\n";
    EXPECT_EQ(r.listing, expected);
    EXPECT_EQ(listingLines(r.listing).size(), 15);
}

TEST(ProgramExample, EveryProgramByteStandsInTheListingInOrder)
{
    QImage picture = DocumentBuilder::pictureFromRows({"R..R.RRRR.R", "R..R.RRRR.R", ".RR......RR", "RRRRRRRRRRR",
                                                       "...........", "R.R.R.R.R.R", ".R.R.R.R.R.", "RRRRRRRRRRR"});
    const SourceDocument doc = DocumentBuilder()
                                   .pause(0)
                                   .effect(19)
                                   .text("Привет", DocumentBuilder::Dark)
                                   .info(4)
                                   .picture(picture)
                                   .speed(5)
                                   .text(" мир")
                                   .font(0)
                                   .clear(28)
                                   .effect(-1)
                                   .build();
    const CheckResult r = Compiler::compile(doc, QStringLiteral("12"), QStringLiteral("34"));
    ASSERT_TRUE(r.succeeded());
    // Collect every "0xNN" of the listing (the information marker's index is
    // at most two digits here) and compare with the program.
    QByteArray fromListing;
    const QByteArray &l = r.listing;
    for (qsizetype i = l.indexOf("0x"); i >= 0; i = l.indexOf("0x", i + 2))
        fromListing.append(char(l.mid(i + 2, 2).toInt(nullptr, 16)));
    EXPECT_EQ(fromListing, r.program);
}
