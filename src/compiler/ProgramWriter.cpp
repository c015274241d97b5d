#include "ProgramWriter.h"

#include <cstring>

namespace {
constexpr char HexDigits[] = "0123456789ABCDEF";
}

void ProgramWriter::reserve(qsizetype programBytes)
{
    m_program.reserve(programBytes);
    m_listing.reserve(programBytes * 6 + 64);
}

void ProgramWriter::hex(quint8 b)
{
    const char text[4] = {'0', 'x', HexDigits[b >> 4], HexDigits[b & 0x0F]};
    m_listing.append(text, 4);
}

void ProgramWriter::line(const char *text)
{
    m_listing.append(text, qsizetype(std::strlen(text)));
    m_listing.append("\r\n", 2);
}

void ProgramWriter::closeLine(const char *comment)
{
    byte(ProgramByte::EndRecord);
    hex(ProgramByte::EndRecord);
    m_listing.append(',');
    line(comment);
}

void ProgramWriter::startBytes()
{
    byte(ProgramByte::Start1);
    hex(ProgramByte::Start1);
    line(", ");
    byte(ProgramByte::Start2);
    hex(ProgramByte::Start2);
    line(", ");
}

void ProgramWriter::closeForNewEffect(RecordState state)
{
    switch (state) {
    case RecordState::None:
        return;
    case RecordState::EmptyEffect:
        closeLine("// close empty effect, for new effect");
        return;
    case RecordState::TextPut:
        closeLine("// end effect(text put), for new effect");
        return;
    case RecordState::ImagePut:
        closeLine("// close effect(image put), for new effect");
        return;
    }
}

void ProgramWriter::openEffect(quint8 effect)
{
    byte(ProgramByte::EffectRecord);
    hex(ProgramByte::EffectRecord);
    line(", // place effect");
    byte(effect);
    hex(effect);
    line(", // place effect");
}

void ProgramWriter::closeForClear(RecordState state)
{
    switch (state) {
    case RecordState::None:
        return;
    case RecordState::EmptyEffect:
        closeLine("// close empty effect, for new effect(1)");
        return;
    case RecordState::TextPut:
        closeLine("// end effect(text put), for new effect(1)");
        return;
    case RecordState::ImagePut:
        closeLine("// close effect(image put), for new effect(1)");
        return;
    }
}

void ProgramWriter::openClear(quint8 clear)
{
    byte(ProgramByte::ClearRecord);
    byte(clear);
    hex(ProgramByte::ClearRecord);
    m_listing.append(", ", 2);
    hex(clear);
    line(", // place CLEAR effect");
}

void ProgramWriter::closeAhead()
{
    closeLine("// close effect(image put), for new effect(1)");
}

void ProgramWriter::pause(quint8 pause)
{
    byte(ProgramByte::Pause);
    byte(pause);
    hex(ProgramByte::Pause);
    m_listing.append(", ", 2);
    hex(pause);
    line(",// Insert EFFECT_PAUSE");
}

void ProgramWriter::speed(quint8 speed)
{
    byte(ProgramByte::Speed);
    byte(speed);
    hex(ProgramByte::Speed);
    m_listing.append(", ", 2);
    hex(speed);
    line(",// Insert EFFECT_SPEED");
}

void ProgramWriter::font(quint8 font)
{
    byte(ProgramByte::Font);
    byte(font);
    hex(ProgramByte::Font);
    m_listing.append(", ", 2);
    hex(font);
    line(",// Insert EFFECT_FONT");
}

void ProgramWriter::dateTime(int index)
{
    byte(ProgramByte::DateTime);
    byte(quint8(index));
    hex(ProgramByte::DateTime);
    m_listing.append(", 0x", 4);
    // The index in hexadecimal with at least two digits: -1 shows all 32 bits.
    QByteArray digits = QByteArray::number(quint32(index), 16).toUpper();
    if (digits.size() < 2)
        digits.prepend('0');
    m_listing.append(digits);
    line(", // Insert EFFECT_DATETIME");
}

void ProgramWriter::colour(quint8 code)
{
    byte(ProgramByte::Colour);
    byte(code);
    hex(ProgramByte::Colour);
    m_listing.append(", ", 2);
    hex(code);
    line(",// Insert EFFECT_COLOR");
}

void ProgramWriter::text(QByteArrayView bytes)
{
    m_program.append(bytes);
    const qsizetype start = m_listing.size();
    m_listing.resize(start + bytes.size() * 6);
    char *out = m_listing.data() + start;
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        out[0] = '0';
        out[1] = 'x';
        out[2] = HexDigits[b >> 4];
        out[3] = HexDigits[b & 0x0F];
        out[4] = ',';
        out[5] = ' ';
        out += 6;
    }
    line("// text");
}

void ProgramWriter::imageStart(int width)
{
    const quint8 high = quint8((width >> 8) & 0xFF);
    const quint8 low = quint8(width & 0xFF);
    byte(ProgramByte::Image);
    hex(ProgramByte::Image);
    line(", // Insert EFFECT_IMAGE");
    byte(high);
    byte(low);
    hex(high);
    m_listing.append(", ", 2);
    hex(low);
    line(", //Image size(HI, LO)");
    line("//Image map");
}

void ProgramWriter::imageColumn(quint8 column)
{
    byte(column);
    hex(column);
    m_listing.append(", ", 2);
}

void ProgramWriter::imageLineBreak()
{
    m_listing.append("\r\n", 2);
}

void ProgramWriter::imageEnd()
{
    m_listing.append("\r\n", 2);
}

void ProgramWriter::closeAtEnd(RecordState state)
{
    switch (state) {
    case RecordState::None:
        return;
    case RecordState::EmptyEffect:
        closeLine("// close empty effect(for item end)");
        return;
    case RecordState::TextPut:
        closeLine("// end text at effect(for item end)");
        return;
    case RecordState::ImagePut:
        closeLine("// end image at effect(for item end)");
        return;
    }
}

void ProgramWriter::endMark(quint8 pressure, quint8 humidity)
{
    byte(ProgramByte::EndMark);
    hex(ProgramByte::EndMark);
    line(",");
    byte(pressure);
    hex(pressure);
    line(",");
    byte(humidity);
    hex(humidity);
    line("");
}
