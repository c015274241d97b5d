// "sensor.ini": the two calibration values, read at start and written at the
// end, with everything else in the file left alone.

#include "calibration/IniFile.h"
#include "calibration/SensorCalibration.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "TestFiles.h"

using namespace Qt::StringLiterals;

namespace {

} // namespace

TEST(SensorIni, MissingFileGivesZerosAndIsCreatedAtTheEnd)
{
    QTemporaryDir dir;
    const QString path = SensorCalibration::fileIn(dir.path() + u'/');
    EXPECT_TRUE(path.endsWith(u"/sensor.ini"_s));
    const SensorCalibration values = SensorCalibration::load(path);
    EXPECT_EQ(values.pressure, u"0"_s);
    EXPECT_EQ(values.humidity, u"0"_s);
    ASSERT_TRUE(values.save(path));
    EXPECT_EQ(readAll(path), "[sensor]\r\n1=0\r\n2=0\r\n");
}

TEST(SensorIni, ValuesAreReadTrimmedAndReplacedInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sensor.ini"_s);
    writeFile(path, "; comment\r\n[other]\r\n1=keep\r\n\r\n[Sensor]\r\n2 =  17 \r\nx=y\r\n1=300\r\n\r\n[last]\r\nz=1\r\n");
    SensorCalibration values = SensorCalibration::load(path);
    EXPECT_EQ(values.pressure, u"300"_s);
    EXPECT_EQ(values.humidity, u"17"_s);
    values.pressure = u"44"_s;
    ASSERT_TRUE(values.save(path));
    EXPECT_EQ(readAll(path),
              "; comment\r\n[other]\r\n1=keep\r\n\r\n[Sensor]\r\n2=17\r\nx=y\r\n1=44\r\n\r\n[last]\r\nz=1\r\n");
}

TEST(SensorIni, MissingKeyIsAddedAfterTheSectionsLastKey)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sensor.ini"_s);
    writeFile(path, "[sensor]\r\n1=5\r\n\r\n[next]\r\na=b");
    SensorCalibration values = SensorCalibration::load(path);
    EXPECT_EQ(values.pressure, u"5"_s);
    EXPECT_EQ(values.humidity, u"0"_s);
    ASSERT_TRUE(values.save(path));
    EXPECT_EQ(readAll(path), "[sensor]\r\n1=5\r\n2=0\r\n\r\n[next]\r\na=b");
}

TEST(SensorIni, MissingSectionIsAppended)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sensor.ini"_s);
    writeFile(path, "[other]\nk=v");
    SensorCalibration values;
    values.humidity = u"abc"_s;
    ASSERT_TRUE(values.save(path));
    EXPECT_EQ(readAll(path), "[other]\nk=v\r\n[sensor]\r\n1=0\r\n2=abc\r\n");
    EXPECT_EQ(SensorCalibration::load(path).humidity, u"abc"_s);
}

TEST(SensorIni, NamesCompareWithoutCaseAndValuesAreCut)
{
    const QByteArray longValue(3000, '7');
    const IniFile ini = IniFile::fromBytes("[SENSOR]\r\n1=" + longValue + "\r\n");
    EXPECT_EQ(ini.value(u"sensor"_s, u"1"_s)->size(), IniFile::MaxValueLength);
    EXPECT_FALSE(ini.value(u"sensor"_s, u"2"_s));
    EXPECT_FALSE(ini.value(u"other"_s, u"1"_s));
}

TEST(SensorIni, CyrillicValuesAreWindows1251)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sensor.ini"_s);
    SensorCalibration values;
    values.pressure = u"Да"_s;
    ASSERT_TRUE(values.save(path));
    EXPECT_EQ(readAll(path), "[sensor]\r\n1=\xC4\xE0\r\n2=0\r\n");
    EXPECT_EQ(SensorCalibration::load(path).pressure, u"Да"_s);
}

TEST(SensorIni, UnwritableFileReportsItsName)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"no/such/dir/sensor.ini"_s);
    QString error;
    EXPECT_FALSE(SensorCalibration().save(path, &error));
    EXPECT_EQ(error, u"Unable to write to "_s + path);
}

TEST(CalibrationValue, ReducedToOneByteAndItsDecimalText)
{
    EXPECT_EQ(reduceCalibration(u"300"_s).byte, 0x2C);
    EXPECT_EQ(reduceCalibration(u"300"_s).text, u"44"_s);
    EXPECT_EQ(reduceCalibration(u"-1"_s).byte, 0xFF);
    EXPECT_EQ(reduceCalibration(u"-1"_s).text, u"255"_s);
    EXPECT_EQ(reduceCalibration(u"abc"_s).byte, 0);
    EXPECT_EQ(reduceCalibration(u"abc"_s).text, u"0"_s);
    EXPECT_EQ(reduceCalibration(u"-256"_s).text, u"0"_s);
    EXPECT_EQ(reduceCalibration(u"-257"_s).text, u"255"_s);
}

TEST(CalibrationValue, IntegerSyntax)
{
    EXPECT_EQ(parseInteger(u"17"_s), 17);
    EXPECT_EQ(parseInteger(u"  17"_s), 17);
    EXPECT_EQ(parseInteger(u"-17"_s), -17);
    EXPECT_EQ(parseInteger(u"+17"_s), 17);
    EXPECT_EQ(parseInteger(u"$FF"_s), 255);
    EXPECT_EQ(parseInteger(u"0xff"_s), 255);
    EXPECT_EQ(parseInteger(u"$FFFFFFFF"_s), -1);
    EXPECT_EQ(parseInteger(u"2147483647"_s), 2147483647);
    EXPECT_EQ(parseInteger(u"-2147483648"_s), INT32_MIN);
    EXPECT_FALSE(parseInteger(u"2147483648"_s));
    EXPECT_FALSE(parseInteger(u"$100000000"_s));
    EXPECT_FALSE(parseInteger(u""_s));
    EXPECT_FALSE(parseInteger(u"-"_s));
    EXPECT_FALSE(parseInteger(u"1 7"_s));
    EXPECT_FALSE(parseInteger(u"17 "_s));
    EXPECT_FALSE(parseInteger(u"1.5"_s));
    EXPECT_FALSE(parseInteger(u"١٢"_s)) << "only ASCII digits";
}
