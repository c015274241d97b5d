// Frames of the simulated sign: glyphs and pictures on the LEDs, colours,
// pauses, speeds, the clock, and where every effect comes to an end.

#include "SimulatorTestSupport.h"

#include "simulator/SignPlayer.h"

#include <QSet>

using namespace Qt::StringLiterals;
using B = DocumentBuilder;

namespace {

const SignFonts &fonts()
{
    static const SignFonts loaded = SignFonts::load();
    return loaded;
}

const QDateTime Noon(QDate(2011, 3, 4), QTime(12, 34, 56));

SignPlayer player(const B &builder, int width = SignPlayer::DefaultWidth)
{
    return SignPlayer(decoded(compiled(builder.build())), fonts(), width);
}

LedFrame frame(SignPlayer &p, qint64 time)
{
    return p.frameAt(time, Noon);
}

QByteArray columns(const LedFrame &frame, int from, int count)
{
    return QByteArray(reinterpret_cast<const char *>(frame.columns.data()) + from, count);
}

QImage picture(const QByteArray &columnBytes)
{
    QImage image(int(columnBytes.size()), 8, QImage::Format_RGB32);
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < 8; ++y)
            image.setPixel(x, y, (quint8(columnBytes[x]) & (0x80 >> y)) ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
    return image;
}

// Two rows of text in both colours and a picture: something in every row and
// both halves of the sign.
B mixedContent(int effect)
{
    B b;
    b.effect(effect).text("Ж1").text("Ш", B::Dark).picture(picture(hexBytes("81 42 24 18")));
    return b;
}

} // namespace

TEST(Fonts, TheDebianFontsAreInstalled)
{
    EXPECT_TRUE(fonts().problems.isEmpty())
        << (fonts().problems.isEmpty() ? std::string() : fonts().problems.first().path.toStdString());
}

TEST(Player, AKnownGlyphLightsItsColumns)
{
    // The 5 x 8 fixed font's A in a cell of six columns; the wide console
    // font's Ж fills eight of its nine.
    SignPlayer narrow = player(B().effect(0).text("A"));
    LedFrame f = frame(narrow, 0);
    EXPECT_EQ(columns(f, 0, 7), hexBytes("3E 48 48 3E 00 00 00"));
    EXPECT_EQ(litCount(f), 5 + 2 + 2 + 5);

    SignPlayer wide = player(B().font(0).effect(0).text("Ж"));
    f = frame(wide, 0);
    EXPECT_EQ(columns(f, 0, 10), hexBytes("C6 EE 28 FE FE 28 EE C6 00 00"));
}

TEST(Player, APicturesColumnsAppearBitForBit)
{
    QByteArray bytes;
    for (int x = 0; x < 300; ++x)
        bytes.append(char(x * 37 + 11));
    SignPlayer p = player(B().effect(0).picture(picture(bytes)), 1024);
    const LedFrame f = frame(p, 0);
    EXPECT_EQ(columns(f, 0, 300), bytes);
    EXPECT_EQ(columns(f, 300, 724), QByteArray(724, '\0'));
}

TEST(Player, ColourOneInvertsTheCellsOfItsText)
{
    SignPlayer p = player(B().effect(0).text("A", B::Dark).text("A"));
    const LedFrame f = frame(p, 0);
    EXPECT_EQ(columns(f, 0, 12), hexBytes("C1 B7 B7 C1 FF FF 3E 48 48 3E 00 00"));
    // Pictures keep their own colours whatever the colour in force.
    SignPlayer q = player(B().effect(0).text("A", B::Dark).picture(picture(hexBytes("0F"))));
    EXPECT_EQ(columns(frame(q, 0), 6, 1), hexBytes("0F"));
}

TEST(Player, APauseHoldsTheFrameForItsDuration)
{
    // Speed 10: a step every 20 ms. "Слева" shows at once (one step), the
    // pause holds one second, "Очистить" takes one step.
    SignPlayer p = player(B().effect(0).text("A").pause(3).clear(1));
    const LedFrame shown = frame(p, 0);
    EXPECT_EQ(p.passDuration(), 20 + 1000 + 20);
    for (const qint64 t : {20, 500, 1019})
        EXPECT_EQ(frame(p, t), shown) << t;
    EXPECT_EQ(litCount(frame(p, 1020)), 0);
    EXPECT_EQ(p.nextStep(20), 1020);
    EXPECT_EQ(p.positionAt(500).description, u"Пауза: 1 сек."_s);
    // And the program starts again.
    EXPECT_EQ(frame(p, 1040), shown);
}

TEST(Player, PauseEntriesLastWhatTheySay)
{
    EXPECT_EQ(SignPlayer::pauseMilliseconds(0), 100);
    EXPECT_EQ(SignPlayer::pauseMilliseconds(2), 500);
    EXPECT_EQ(SignPlayer::pauseMilliseconds(3), 1000);
    EXPECT_EQ(SignPlayer::pauseMilliseconds(4), 2000);
    EXPECT_EQ(SignPlayer::pauseMilliseconds(17), 15000);
    EXPECT_EQ(SignPlayer::pauseMilliseconds(0xFF), 0);
}

TEST(Player, ShiftingLeftMovesTheContentOneColumnPerStep)
{
    SignPlayer p = player(B().effect(3).text("AB"));
    const int width = p.width();
    // Step 1 shows the first column at the right edge; every 20 ms the
    // content moves one column left, until it stands at the left edge.
    LedFrame f = frame(p, 0);
    EXPECT_EQ(columns(f, width - 1, 1), hexBytes("3E"));
    EXPECT_EQ(litCount(f), 5);
    for (int step = 1; step < 40; ++step) {
        const LedFrame before = frame(p, (step - 1) * 20);
        const LedFrame after = frame(p, step * 20);
        for (int x = 0; x + 1 < width; ++x)
            ASSERT_EQ(after.columns[size_t(x)], before.columns[size_t(x + 1)]) << "step " << step << " column " << x;
    }
    EXPECT_EQ(p.passDuration(), width * 20);
    f = frame(p, (width - 1) * 20);
    EXPECT_EQ(columns(f, 0, 12), fonts().narrow.glyph('A').toByteArray() + fonts().narrow.glyph('B').toByteArray());
}

TEST(Player, ShiftingLeftRunsLongContentToItsEnd)
{
    B b;
    b.effect(3).text(QString(30, u'A'));  // 180 columns on a sign of 96
    SignPlayer p = player(b);
    EXPECT_EQ(p.passDuration(), 180 * 20);
    const LedFrame last = frame(p, 179 * 20);
    EXPECT_EQ(columns(last, 90, 6), hexBytes("3E 48 48 3E 00 00"));
}

TEST(Player, SpeedsSetTheStepRate)
{
    EXPECT_EQ(SignPlayer::stepMilliseconds(0), 200);
    EXPECT_EQ(SignPlayer::stepMilliseconds(9), 20);
    EXPECT_EQ(SignPlayer::stepMilliseconds(19), 10);
    EXPECT_EQ(SignPlayer::stepMilliseconds(0xFF), 10);
    // A speed inside a record sets that record's own rate; a speed between
    // records the rate of those after it.
    SignPlayer inside = player(B().effect(3).speed(0).text("A"));
    EXPECT_EQ(inside.passDuration(), 96 * 200);
    SignPlayer between = player(B().effect(3).text("A").speed(19).clear(2));
    EXPECT_EQ(between.passDuration(), 96 * 20 + 6 * 10);
}

TEST(Player, TheClockElementShowsTheTimeItWasGiven)
{
    const std::vector<std::pair<int, const char *>> shown{
        {0, "12:34"}, {1, "12:34:56"}, {2, "03/04/2011"}, {3, "04-03-2011"}, {4, "2011-03-04"}};
    for (const auto &[info, text] : shown) {
        SCOPED_TRACE(text);
        SignPlayer clock = player(B().effect(2).info(info));
        SignPlayer written = player(B().effect(2).text(text));
        EXPECT_EQ(frame(clock, 0), frame(written, 0));
        EXPECT_EQ(SignPlayer::dateTimeText(quint8(info), Noon), QString::fromLatin1(text));
    }
    // The same record a second later shows the next second.
    SignPlayer clock = player(B().effect(0).info(1).pause(3));
    const LedFrame before = clock.frameAt(100, Noon);
    const LedFrame after = clock.frameAt(100, Noon.addSecs(1));
    EXPECT_NE(before, after);
    SignPlayer written = player(B().effect(0).text("12:34:57").pause(3));
    EXPECT_EQ(after, frame(written, 100));
}

TEST(Player, OutputEffectsComeToRestOnTheirContent)
{
    // At rest the content stands at the left edge, except "Справа" (right
    // edge) and "В центре" (centred).
    SignPlayer left = player(mixedContent(0));
    const LedFrame atLeft = frame(left, 0);
    const int contentWidth = 2 * 6 + 6 + 4;
    for (int effect = 0; effect < 19; ++effect) {
        SCOPED_TRACE(effect);
        SignPlayer p = player(mixedContent(effect));
        const qint64 end = p.passDuration();
        ASSERT_GT(end, 0);
        const LedFrame rest = frame(p, end - 1);
        const int offset = effect == 1 ? 96 - contentWidth : effect == 2 ? (96 - contentWidth) / 2 : 0;
        EXPECT_EQ(columns(rest, offset, contentWidth), columns(atLeft, 0, contentWidth));
        EXPECT_EQ(litCount(rest), litCount(atLeft));
        if (effect > 2) {
            EXPECT_NE(frame(p, 0), rest) << "the effect should take more than one step";
        }
    }
}

TEST(Player, ClearEffectsEndWithADarkSign)
{
    for (int clear = 0; clear < 28; ++clear) {
        SCOPED_TRACE(clear);
        B b = mixedContent(2);
        SignPlayer p = player(b.clear(clear));
        const qint64 end = p.passDuration();
        EXPECT_EQ(litCount(frame(p, end - 1)), 0);
        // The first step of the clear still shows something (but "Очистить").
        if (clear > 1) {
            EXPECT_GT(litCount(frame(p, 20)), 0);
        }
    }
}

TEST(Player, VerticalEffectsMoveRowsAtAQuarterOfTheColumnRate)
{
    SignPlayer p = player(B().effect(5).picture(picture(hexBytes("FF 81"))));
    EXPECT_EQ(p.passDuration(), 8 * 20 * SignPlayer::RowStepFactor);
    // Shifting down: after one step the bottom row of the content shows in
    // the top row of the sign.
    EXPECT_EQ(columns(frame(p, 0), 0, 2), hexBytes("80 80"));
    EXPECT_EQ(columns(frame(p, 80), 0, 2), hexBytes("C0 40"));
    EXPECT_EQ(columns(frame(p, 7 * 80), 0, 2), hexBytes("FF 81"));
}

TEST(Player, RandomEntriesDrawAgainEachPassButTheSameWayTwice)
{
    B b = mixedContent(19);
    b.clear(28);
    SignPlayer first = player(b);
    SignPlayer second = player(b);
    qint64 start = 0;
    QSet<QString> drawn;
    for (int pass = 0; pass < 12; ++pass) {
        const qint64 length = first.passDuration(pass);
        EXPECT_EQ(second.passDuration(pass), length);
        for (qint64 t = start; t < start + length; t += 37)
            ASSERT_EQ(frame(first, t), frame(second, t)) << t;
        drawn.insert(first.positionAt(start).description);
        start += length;
    }
    EXPECT_GT(drawn.size(), 3) << "twelve passes should draw several output effects";
    for (const QString &description : drawn)
        EXPECT_TRUE(description.startsWith(u"Режим вывода: Случайный → "_s)) << description.toStdString();
}

TEST(Player, ProgramsThatShowNothing)
{
    SignPlayer empty(decoded(hexBytes("02 01 03 00 00")), fonts());
    EXPECT_EQ(empty.passDuration(), 0);
    EXPECT_EQ(litCount(frame(empty, 5000)), 0);
    EXPECT_EQ(frame(empty, 0).width(), 96);
    EXPECT_EQ(empty.positionAt(0).scene, -1);
    // Numbers past the tables play as "Слева" and "Очистить".
    SignPlayer unknown(decoded(hexBytes("02 01 00 63 41 00 01 63 00 03 00 00")), fonts());
    EXPECT_EQ(columns(frame(unknown, 0), 0, 4), hexBytes("3E 48 48 3E"));
    EXPECT_EQ(unknown.positionAt(0).description, u"Режим вывода: номер 99 → Слева"_s);
}

TEST(Player, TheWidthStaysWithinTheSignsRange)
{
    SignPlayer p = player(B().effect(3).text("A"));
    p.setWidth(4);
    EXPECT_EQ(p.width(), 8);
    EXPECT_EQ(frame(p, 0).width(), 8);
    p.setWidth(5000);
    EXPECT_EQ(p.width(), 1024);
    EXPECT_EQ(p.passDuration(), 1024 * 20);
}
