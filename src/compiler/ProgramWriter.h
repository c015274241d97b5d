#pragma once

// Writes the compiled program and its listing side by side, one element at a
// time: every byte of the program stands in the listing as "0x" and two
// upper-case hexadecimal digits, grouped into CR LF lines with the comments
// the listing format fixes. Which element is written when is the compiler's
// business; this class only knows the bytes and lines of each element.

#include <QByteArray>
#include <QByteArrayView>

// The record of the compiled program that is open while the compiler walks.
enum class RecordState : quint8 {
    None,         // no record open
    EmptyEffect,  // an effect or clear record was just opened, holds nothing
    TextPut,      // an effect record whose last content is text or date/time
    ImagePut,     // an effect record whose last content is a picture
};

// Lead bytes of the compiled program.
namespace ProgramByte {
constexpr quint8 Start1 = 0x02;
constexpr quint8 Start2 = 0x01;
constexpr quint8 EffectRecord = 0x00;  // top level: opens an effect record
constexpr quint8 ClearRecord = 0x01;   // top level: opens a clear record
constexpr quint8 EndRecord = 0x00;     // inside a record: closes it
constexpr quint8 Colour = 0x01;        // EFFECT_COLOR
constexpr quint8 Image = 0x02;         // EFFECT_IMAGE
constexpr quint8 DateTime = 0x03;      // EFFECT_DATETIME
constexpr quint8 Font = 0x1D;          // EFFECT_FONT / font command
constexpr quint8 Speed = 0x1E;         // EFFECT_SPEED / speed command
constexpr quint8 Pause = 0x1F;         // EFFECT_PAUSE / pause command
constexpr quint8 EndMark = 0x03;
} // namespace ProgramByte

class ProgramWriter {
public:
    void reserve(qsizetype programBytes);

    void startBytes();

    // The 0x00 that closes the open record when an output effect marker opens
    // a new one (by the state of the record it closes), then the opening.
    void closeForNewEffect(RecordState state);
    void openEffect(quint8 effect);
    // The same for a clear effect marker.
    void closeForClear(RecordState state);
    void openClear(quint8 clear);
    // The 0x00 the closing look-ahead writes ahead of a pause, speed or font
    // element; its listing line is the same whatever the state.
    void closeAhead();

    void pause(quint8 pause);
    void speed(quint8 speed);
    void font(quint8 font);
    // The listing shows the marker's entry index itself (at least two digits,
    // eight for -1); the program holds its low byte.
    void dateTime(int index);
    void colour(quint8 code);
    void text(QByteArrayView bytes);

    void imageStart(int width);
    void imageColumn(quint8 column);
    void imageLineBreak();  // after every eighth column but the last
    void imageEnd();

    // The 0x00 that closes the open record at the end of the document.
    void closeAtEnd(RecordState state);
    void endMark(quint8 pressure, quint8 humidity);

    const QByteArray &program() const { return m_program; }
    const QByteArray &listing() const { return m_listing; }
    QByteArray takeProgram() { return std::move(m_program); }
    QByteArray takeListing() { return std::move(m_listing); }

private:
    void byte(quint8 b) { m_program.append(char(b)); }
    void hex(quint8 b);             // "0xNN" into the listing
    void line(const char *text);    // text and CR LF into the listing
    void closeLine(const char *comment);

    QByteArray m_program;
    QByteArray m_listing;
};
