#include "ProgramDecoder.h"

#include "compiler/ProgramWriter.h"
#include "document/model/BorrowedView.h"

using namespace Qt::StringLiterals;

QString ProgramError::toString() const
{
    return u"offset %1: expected %2"_s.arg(offset).arg(expected);
}

namespace {

// What the decoder expects at a place, worded only when it is not there.
enum class Expected : quint8 {
    FirstStartByte, SecondStartByte, TopLevelElement, EffectNumber, ClearNumber, CommandArgument,
    RecordContent, ColourCode, InfoNumber, PictureWidth, ClearRecordEnd, CalibrationValues, EndOfProgram,
};

QString describe(Expected expected, qsizetype element)
{
    switch (expected) {
    case Expected::FirstStartByte: return u"the first start byte 0x02"_s;
    case Expected::SecondStartByte: return u"the second start byte 0x01"_s;
    case Expected::TopLevelElement:
        return u"an effect record 0x00, a clear record 0x01, a font, speed or pause command or the end mark 0x03"_s;
    case Expected::EffectNumber: return u"the effect number of the record at offset %1"_s.arg(element);
    case Expected::ClearNumber: return u"the clear number of the record at offset %1"_s.arg(element);
    case Expected::CommandArgument: return u"the argument of the command at offset %1"_s.arg(element);
    case Expected::RecordContent: return u"content or the end 0x00 of the record at offset %1"_s.arg(element);
    case Expected::ColourCode: return u"the colour code of the colour element at offset %1"_s.arg(element);
    case Expected::InfoNumber: return u"the info number of the date/time element at offset %1"_s.arg(element);
    case Expected::PictureWidth: return u"the two width bytes of the picture at offset %1"_s.arg(element);
    case Expected::ClearRecordEnd: return u"the end 0x00 of the clear record at offset %1"_s.arg(element);
    case Expected::CalibrationValues: return u"the two calibration values after the end mark"_s;
    case Expected::EndOfProgram: return u"the end of the program after the calibration values"_s;
    }
    return QString();
}

class Decoder {
public:
    explicit Decoder(QByteArrayView bytes) : m_bytes(bytes) {}
    template <TemporaryOwner<QByteArrayView> Owner>
    explicit Decoder(Owner &&) = delete;

    std::optional<CompiledProgram> run(ProgramError *error)
    {
        CompiledProgram program;
        const bool ok = startBytes() && topLevel(program) && calibration(program);
        if (!ok) {
            if (error)
                *error = m_error;
            return std::nullopt;
        }
        return program;
    }

private:
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    quint8 peek() const { return quint8(m_bytes[m_pos]); }

    bool fail(qsizetype at, Expected expected, qsizetype element = 0)
    {
        m_error.offset = at;
        m_error.expected = describe(expected, element);
        return false;
    }
    bool fail(qsizetype at, QString expected)
    {
        m_error.offset = at;
        m_error.expected = std::move(expected);
        return false;
    }

    // The byte at the current position, which must be there.
    bool take(quint8 &b, Expected expected, qsizetype element = 0)
    {
        if (atEnd())
            return fail(m_pos, expected, element);
        b = peek();
        ++m_pos;
        return true;
    }

    bool startBytes()
    {
        quint8 b = 0;
        if (!take(b, Expected::FirstStartByte))
            return false;
        if (b != ProgramByte::Start1)
            return fail(0, Expected::FirstStartByte);
        if (!take(b, Expected::SecondStartByte))
            return false;
        if (b != ProgramByte::Start2)
            return fail(1, Expected::SecondStartByte);
        return true;
    }

    static bool isCommand(quint8 b)
    {
        return b == ProgramByte::Font || b == ProgramByte::Speed || b == ProgramByte::Pause;
    }
    static bool isReserved(quint8 b) { return b <= 0x03 || isCommand(b); }

    template <typename Kind>
    static Kind commandKind(quint8 b)
    {
        return b == ProgramByte::Font ? Kind::Font : b == ProgramByte::Speed ? Kind::Speed : Kind::Pause;
    }

    bool topLevel(CompiledProgram &program)
    {
        for (;;) {
            ProgramElement element;
            element.offset = m_pos;
            quint8 lead = 0;
            if (!take(lead, Expected::TopLevelElement))
                return false;
            switch (lead) {
            case ProgramByte::EffectRecord:
                element.kind = ProgramElement::Kind::Effect;
                if (!take(element.value, Expected::EffectNumber, element.offset) || !effectContent(element))
                    return false;
                break;
            case ProgramByte::ClearRecord:
                element.kind = ProgramElement::Kind::Clear;
                if (!take(element.value, Expected::ClearNumber, element.offset) || !clearContent(element))
                    return false;
                break;
            case ProgramByte::Font:
            case ProgramByte::Speed:
            case ProgramByte::Pause:
                element.kind = commandKind<ProgramElement::Kind>(lead);
                if (!take(element.value, Expected::CommandArgument, element.offset))
                    return false;
                break;
            case ProgramByte::EndMark:
                return true;
            default:
                return fail(element.offset, Expected::TopLevelElement);
            }
            program.elements.push_back(std::move(element));
        }
    }

    bool effectContent(ProgramElement &record)
    {
        for (;;) {
            ContentElement element;
            element.offset = m_pos;
            quint8 lead = 0;
            if (!take(lead, Expected::RecordContent, record.offset))
                return false;
            switch (lead) {
            case ProgramByte::EndRecord:
                return true;
            case ProgramByte::Colour:
                element.kind = ContentElement::Kind::Colour;
                if (!take(element.value, Expected::ColourCode, element.offset))
                    return false;
                break;
            case ProgramByte::Image:
                element.kind = ContentElement::Kind::Image;
                if (!image(element))
                    return false;
                break;
            case ProgramByte::DateTime:
                element.kind = ContentElement::Kind::DateTime;
                if (!take(element.value, Expected::InfoNumber, element.offset))
                    return false;
                break;
            case ProgramByte::Font:
            case ProgramByte::Speed:
            case ProgramByte::Pause:
                element.kind = commandKind<ContentElement::Kind>(lead);
                if (!take(element.value, Expected::CommandArgument, element.offset))
                    return false;
                break;
            default:
                element.kind = ContentElement::Kind::Text;
                element.bytes = textRun();
                break;
            }
            record.content.push_back(std::move(element));
        }
    }

    // A text element runs up to the next byte that is not a character.
    QByteArray textRun()
    {
        const qsizetype start = m_pos - 1;
        while (!atEnd() && !isReserved(peek()))
            ++m_pos;
        return m_bytes.sliced(start, m_pos - start).toByteArray();
    }

    bool image(ContentElement &element)
    {
        quint8 high = 0;
        quint8 low = 0;
        if (!take(high, Expected::PictureWidth, element.offset) || !take(low, Expected::PictureWidth, element.offset))
            return false;
        const qsizetype width = qsizetype(high) << 8 | low;
        if (width > m_bytes.size() - m_pos)
            return fail(element.offset + 1, u"%1 column bytes of the picture at offset %2, but only %3 remain"_s
                                                .arg(width)
                                                .arg(element.offset)
                                                .arg(m_bytes.size() - m_pos));
        element.bytes = m_bytes.sliced(m_pos, width).toByteArray();
        m_pos += width;
        return true;
    }

    // A successful check leaves clear records empty; one that stopped at an
    // error can leave the pause, speed and font commands placed ahead of the
    // content that failed inside it.
    bool clearContent(ProgramElement &record)
    {
        for (;;) {
            ContentElement element;
            element.offset = m_pos;
            quint8 lead = 0;
            if (!take(lead, Expected::ClearRecordEnd, record.offset))
                return false;
            if (lead == ProgramByte::EndRecord)
                return true;
            if (!isCommand(lead))
                return fail(element.offset, Expected::ClearRecordEnd, record.offset);
            element.kind = commandKind<ContentElement::Kind>(lead);
            if (!take(element.value, Expected::CommandArgument, element.offset))
                return false;
            record.content.push_back(std::move(element));
        }
    }

    bool calibration(CompiledProgram &program)
    {
        if (!take(program.pressure, Expected::CalibrationValues) || !take(program.humidity, Expected::CalibrationValues))
            return false;
        if (!atEnd())
            return fail(m_pos, Expected::EndOfProgram);
        return true;
    }

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    ProgramError m_error;
};

} // namespace

std::optional<CompiledProgram> decodeProgram(QByteArrayView bytes, ProgramError *error)
{
    return Decoder(bytes).run(error);
}
