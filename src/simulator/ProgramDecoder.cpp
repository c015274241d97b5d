#include "ProgramDecoder.h"

#include "compiler/ProgramWriter.h"

using namespace Qt::StringLiterals;

QString ProgramError::toString() const
{
    return u"offset %1: expected %2"_s.arg(offset).arg(expected);
}

namespace {

class Decoder {
public:
    explicit Decoder(QByteArrayView bytes) : m_bytes(bytes) {}

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

    bool fail(qsizetype at, QString expected)
    {
        m_error.offset = at;
        m_error.expected = std::move(expected);
        return false;
    }

    // The byte at the current position, which must be there.
    bool take(quint8 &b, const QString &expected)
    {
        if (atEnd())
            return fail(m_pos, expected);
        b = peek();
        ++m_pos;
        return true;
    }

    bool startBytes()
    {
        quint8 b = 0;
        if (!take(b, u"the first start byte 0x02"_s))
            return false;
        if (b != ProgramByte::Start1)
            return fail(0, u"the first start byte 0x02"_s);
        if (!take(b, u"the second start byte 0x01"_s))
            return false;
        if (b != ProgramByte::Start2)
            return fail(1, u"the second start byte 0x01"_s);
        return true;
    }

    bool topLevel(CompiledProgram &program)
    {
        static const QString TopLevelElement
            = u"an effect record 0x00, a clear record 0x01, a font, speed or pause command or the end mark 0x03"_s;
        for (;;) {
            ProgramElement element;
            element.offset = m_pos;
            quint8 lead = 0;
            if (!take(lead, TopLevelElement))
                return false;
            switch (lead) {
            case ProgramByte::EffectRecord:
                element.kind = ProgramElement::Kind::Effect;
                if (!argument(element.value, u"the effect number of the record at offset %1"_s.arg(element.offset))
                    || !effectContent(element))
                    return false;
                break;
            case ProgramByte::ClearRecord:
                element.kind = ProgramElement::Kind::Clear;
                if (!argument(element.value, u"the clear number of the record at offset %1"_s.arg(element.offset))
                    || !clearContent(element))
                    return false;
                break;
            case ProgramByte::Font:
            case ProgramByte::Speed:
            case ProgramByte::Pause:
                element.kind = lead == ProgramByte::Font    ? ProgramElement::Kind::Font
                               : lead == ProgramByte::Speed ? ProgramElement::Kind::Speed
                                                            : ProgramElement::Kind::Pause;
                if (!argument(element.value, u"the argument of the command at offset %1"_s.arg(element.offset)))
                    return false;
                break;
            case ProgramByte::EndMark:
                return true;
            default:
                return fail(element.offset, TopLevelElement);
            }
            program.elements.push_back(std::move(element));
        }
    }

    bool argument(quint8 &value, const QString &expected) { return take(value, expected); }

    static bool isCommand(quint8 b)
    {
        return b == ProgramByte::Font || b == ProgramByte::Speed || b == ProgramByte::Pause;
    }

    static ContentElement::Kind commandKind(quint8 b)
    {
        return b == ProgramByte::Font    ? ContentElement::Kind::Font
               : b == ProgramByte::Speed ? ContentElement::Kind::Speed
                                         : ContentElement::Kind::Pause;
    }

    QString recordEnd(const ProgramElement &record) const
    {
        return u"content or the end 0x00 of the record at offset %1"_s.arg(record.offset);
    }

    bool effectContent(ProgramElement &record)
    {
        for (;;) {
            ContentElement element;
            element.offset = m_pos;
            quint8 lead = 0;
            if (!take(lead, recordEnd(record)))
                return false;
            switch (lead) {
            case ProgramByte::EndRecord:
                return true;
            case ProgramByte::Colour:
                element.kind = ContentElement::Kind::Colour;
                if (!argument(element.value, u"the colour code of the colour element at offset %1"_s.arg(element.offset)))
                    return false;
                break;
            case ProgramByte::Image:
                element.kind = ContentElement::Kind::Image;
                if (!image(element))
                    return false;
                break;
            case ProgramByte::DateTime:
                element.kind = ContentElement::Kind::DateTime;
                if (!argument(element.value, u"the info number of the date/time element at offset %1"_s.arg(element.offset)))
                    return false;
                break;
            case ProgramByte::Font:
            case ProgramByte::Speed:
            case ProgramByte::Pause:
                element.kind = commandKind(lead);
                if (!argument(element.value, u"the argument of the command at offset %1"_s.arg(element.offset)))
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

    static bool isReserved(quint8 b) { return b <= 0x03 || isCommand(b); }

    bool image(ContentElement &element)
    {
        quint8 high = 0;
        quint8 low = 0;
        const QString size = u"the two width bytes of the picture at offset %1"_s.arg(element.offset);
        if (!take(high, size) || !take(low, size))
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
            const QString expected = u"the end 0x00 of the clear record at offset %1"_s.arg(record.offset);
            if (!take(lead, expected))
                return false;
            if (lead == ProgramByte::EndRecord)
                return true;
            if (!isCommand(lead))
                return fail(element.offset, expected);
            element.kind = commandKind(lead);
            if (!argument(element.value, u"the argument of the command at offset %1"_s.arg(element.offset)))
                return false;
            record.content.push_back(std::move(element));
        }
    }

    bool calibration(CompiledProgram &program)
    {
        const QString expected = u"the two calibration values after the end mark"_s;
        if (!take(program.pressure, expected) || !take(program.humidity, expected))
            return false;
        if (!atEnd())
            return fail(m_pos, u"the end of the program after the calibration values"_s);
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
