#include "ProgramEncoder.h"

namespace {

// The record state a record leaves behind when it closes.
RecordState stateAfter(const ProgramElement &record)
{
    RecordState state = RecordState::EmptyEffect;
    for (const ContentElement &element : record.content) {
        switch (element.kind) {
        case ContentElement::Kind::Text:
        case ContentElement::Kind::DateTime:
            state = RecordState::TextPut;
            break;
        case ContentElement::Kind::Image:
            state = RecordState::ImagePut;
            break;
        default:
            break;
        }
    }
    return state;
}

void writeContent(ProgramWriter &writer, const ContentElement &element)
{
    switch (element.kind) {
    case ContentElement::Kind::Text:
        writer.text(element.bytes);
        return;
    case ContentElement::Kind::Colour:
        writer.colour(element.value);
        return;
    case ContentElement::Kind::Image: {
        const qsizetype width = element.bytes.size();
        writer.imageStart(int(width));
        for (qsizetype x = 0; x < width; ++x) {
            writer.imageColumn(quint8(element.bytes[x]));
            if (x % 8 == 7 && x != width - 1)
                writer.imageLineBreak();
        }
        writer.imageEnd();
        return;
    }
    case ContentElement::Kind::DateTime:
        // A marker with no entry selected wrote the low byte of -1.
        writer.dateTime(element.value == 0xFF ? -1 : element.value);
        return;
    case ContentElement::Kind::Font:
        writer.font(element.value);
        return;
    case ContentElement::Kind::Speed:
        writer.speed(element.value);
        return;
    case ContentElement::Kind::Pause:
        writer.pause(element.value);
        return;
    }
}

} // namespace

ProgramWriter encodeProgram(const CompiledProgram &program)
{
    ProgramWriter writer;
    writer.startBytes();
    RecordState open = RecordState::None;  // the record whose closing 0x00 is due
    for (const ProgramElement &element : program.elements) {
        switch (element.kind) {
        case ProgramElement::Kind::Effect:
            writer.closeForNewEffect(open);
            writer.openEffect(element.value);
            break;
        case ProgramElement::Kind::Clear:
            writer.closeForClear(open);
            writer.openClear(element.value);
            break;
        case ProgramElement::Kind::Font:
        case ProgramElement::Kind::Speed:
        case ProgramElement::Kind::Pause:
            if (open != RecordState::None)
                writer.closeAhead();
            open = RecordState::None;
            if (element.kind == ProgramElement::Kind::Font)
                writer.font(element.value);
            else if (element.kind == ProgramElement::Kind::Speed)
                writer.speed(element.value);
            else
                writer.pause(element.value);
            continue;
        }
        for (const ContentElement &content : element.content)
            writeContent(writer, content);
        open = stateAfter(element);
    }
    writer.closeAtEnd(open);
    writer.endMark(program.pressure, program.humidity);
    return writer;
}
