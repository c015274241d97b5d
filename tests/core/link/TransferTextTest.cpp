// What the progress dialog and the boxes after a transfer say: counts and
// percent, the time left on a 4800 bit/s line, lost and stopped transfers.

#include "link/DeviceProtocol.h"
#include "link/TransferText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(TransferText, TimeLeftIsTheLineTimeOfWhatIsLeftOrTheWaitWhenLonger)
{
    EXPECT_EQ(DeviceProtocol::lineTimeMilliseconds(1921), 4403);  // 4402.3 rounded up
    EXPECT_EQ(DeviceProtocol::lineTimeMilliseconds(0), 0);
    // The largest load: 1921 + 540672 bytes, about 20.7 minutes.
    EXPECT_EQ(DeviceProtocol::lineTimeMilliseconds(1921 + 540672), 1243443);

    TransferProgress p{TransferPhase::Program, 1921, 1921 + 540672, 0, 0};
    EXPECT_EQ(TransferText::timeLeft(p), u"Осталось около 20:40"_s);
    EXPECT_EQ(TransferText::counts(p), u"Отправлено 1921 из 542593 байт (0 %)"_s);

    p = {TransferPhase::Preamble, 1921, 1927, 0, 4000};  // the clock waiting for the line
    EXPECT_EQ(TransferText::timeLeft(p), u"Осталось около 0:04"_s);
    EXPECT_EQ(TransferText::counts(p), u"Отправлено 1921 из 1927 байт (99 %)"_s);
    p = {TransferPhase::Draining, 1927, 1927, 0, 0};
    EXPECT_EQ(TransferText::timeLeft(p), u"Осталось около 0:00"_s);
    EXPECT_EQ(p.percent(), 100);

    EXPECT_EQ(TransferText::clockText(1), u"0:01"_s);
    EXPECT_EQ(TransferText::clockText(60000), u"1:00"_s);
    EXPECT_EQ(TransferText::clockText(3600000 + 61000), u"1:01:01"_s);
}

TEST(TransferText, AStoppedLoadCountsOnlyTheProgramBytesThatLeft)
{
    TransferReport stopped;
    stopped.stopped = true;
    stopped.payloadSent = 5000;
    stopped.queuedAtStop = 200;  // purged by the close: they never went out
    EXPECT_EQ(TransferText::stopped(stopped, false, 9000),
              u"Загрузка остановлена.\n\nОтправлено байт программы: 4800 из 9000."_s);
    stopped.payloadSent = 100;  // stopped with preamble bytes still queued
    EXPECT_EQ(stopped.payloadDelivered(), 0);

    TransferReport finished;
    finished.finished = true;
    EXPECT_EQ(TransferText::lostBytes(finished), QString());  // nothing lost, nothing to say
    finished.droppedAtClose = 3;
    EXPECT_TRUE(TransferText::lostBytes(finished).endsWith(u"при его закрытии: 3."_s));
}

} // namespace
