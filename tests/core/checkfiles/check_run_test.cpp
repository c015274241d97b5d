// One check run, as the check window and the command line share it: the
// calibration values are read once the walk has ended and written back only
// when the files were written.

#include "DocumentBuilder.h"

#include "calibration/CalibrationSource.h"
#include "compiler/CheckRun.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "TestFiles.h"

using namespace Qt::StringLiterals;

namespace {

// Calibration values as the calibration window's fields hold them.
class Fields final : public CalibrationSource {
public:
    SensorCalibration values;
    std::optional<SensorCalibration> written;
    SensorCalibration calibration() const override { return values; }
    bool setCalibration(const SensorCalibration &sent, QString *) override
    {
        written = sent;
        return true;
    }
};

} // namespace

TEST(CheckRun, AValueChangedDuringTheWalkIsTheOneSentAndWrittenBack)
{
    QTemporaryDir dir;
    Fields fields;
    fields.values.pressure = u"1"_s;
    CheckRun run(dir.path(), &fields);
    ASSERT_TRUE(run.start());
    Compiler::Hooks hooks;
    // Typed into the calibration window while the check runs.
    hooks.afterItem = [&](int done, int) {
        if (done == 1)
            fields.values.pressure = u"300"_s;
    };
    const CheckResult &result = run.compile(DocumentBuilder().effect(0).text("A").text("B").build(), hooks);
    ASSERT_TRUE(result.succeeded());
    EXPECT_EQ(result.pressure, 44);  // 300 modulo 256
    ASSERT_EQ(run.finish(), CheckRun::Failure::None);
    EXPECT_TRUE(readAll(dir.filePath(u"cmpres8.dat"_s)).endsWith(QByteArray("\x03\x2C\x00", 3)));
    ASSERT_TRUE(fields.written);
    EXPECT_EQ(fields.written->pressure, u"44"_s);
    EXPECT_EQ(fields.written->humidity, u"0"_s);
}

TEST(CheckRun, WithoutASourceTheValuesAreZeroAndNothingIsWrittenBack)
{
    QTemporaryDir dir;
    CheckRun run(dir.path(), nullptr);
    ASSERT_TRUE(run.start());
    run.compile(DocumentBuilder().effect(0).build());
    ASSERT_EQ(run.finish(), CheckRun::Failure::None);
    EXPECT_TRUE(readAll(dir.filePath(u"cmpres8.dat"_s)).endsWith(QByteArray("\x03\x00\x00", 3)));
}

TEST(CheckRun, ValuesAreNotWrittenBackWhenTheFilesCannotBeWritten)
{
    QTemporaryDir dir;
    Fields fields;
    CheckRun run(dir.filePath(u"missing"_s), &fields);
    QString error;
    EXPECT_FALSE(run.start(&error));
    EXPECT_FALSE(error.isEmpty());
    run.compile(DocumentBuilder().effect(0).build());
    EXPECT_EQ(run.finish(&error), CheckRun::Failure::Files);
    EXPECT_FALSE(fields.written);
}
