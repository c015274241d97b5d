#include "SensorCalibration.h"

#include "IniFile.h"

#include <cstdint>

using namespace Qt::StringLiterals;

namespace {
const QString Section = u"sensor"_s;
const QString PressureKey = u"1"_s;
const QString HumidityKey = u"2"_s;
} // namespace

SensorCalibration SensorCalibration::load(const QString &fileName)
{
    const IniFile ini = IniFile::load(fileName);
    SensorCalibration values;
    values.pressure = ini.value(Section, PressureKey, u"0"_s);
    values.humidity = ini.value(Section, HumidityKey, u"0"_s);
    return values;
}

bool SensorCalibration::save(const QString &fileName, QString *error) const
{
    IniFile ini = IniFile::load(fileName);
    ini.setValue(Section, PressureKey, pressure);
    ini.setValue(Section, HumidityKey, humidity);
    if (ini.save(fileName))
        return true;
    if (error)
        *error = u"Unable to write to %1"_s.arg(fileName);
    return false;
}

QString SensorCalibration::fileIn(const QString &directory)
{
    return directory + QLatin1StringView(FileName);
}

std::optional<qint32> parseInteger(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int d = -1;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        if (d < 0 || d >= base)
            return std::nullopt;
        value = value * base + d;
        // Hexadecimal may fill all 32 bits (as $FFFFFFFF = -1); decimal must
        // stay within the signed range.
        if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL))
            return std::nullopt;
    }
    if (base == 16)
        value = qint64(qint32(quint32(value)));
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return qint32(value);
}

ReducedCalibration reduceCalibration(const QString &text)
{
    const qint32 value = parseInteger(text).value_or(0);
    ReducedCalibration reduced;
    reduced.byte = quint8(quint32(value) & 0xFFu);
    reduced.text = QString::number(reduced.byte);
    return reduced;
}
