#pragma once

// The compiled program "cmpres8.dat" as a structure: what the decoder reads
// out of the bytes and what the player plays. Every element keeps the byte
// offset it starts at, so the simulator can say where in the file it is.

#include <QByteArray>

#include <vector>

// An element inside an effect record (or, for the commands, a clear record).
struct ContentElement {
    enum class Kind : quint8 {
        Text,      // bytes: the characters in Windows-1251, never empty
        Colour,    // value: colour code, 0 lit characters, 1 dark characters on lit LEDs
        Image,     // bytes: one column byte per column, bit 7 the top row
        DateTime,  // value: info number
        Font,      // value: font number
        Speed,     // value: speed number (speed - 1)
        Pause,     // value: pause number
    };
    Kind kind = Kind::Text;
    quint8 value = 0;
    QByteArray bytes;
    qsizetype offset = 0;

    friend bool operator==(const ContentElement &, const ContentElement &) = default;
};

// An element at the top level of the program.
struct ProgramElement {
    enum class Kind : quint8 {
        Effect,  // value: effect number; content: its elements
        Clear,   // value: clear number; content: commands only (empty after a successful check)
        Font,    // value: font number
        Speed,   // value: speed number
        Pause,   // value: pause number
    };
    Kind kind = Kind::Effect;
    quint8 value = 0;
    std::vector<ContentElement> content;
    qsizetype offset = 0;

    friend bool operator==(const ProgramElement &, const ProgramElement &) = default;
};

struct CompiledProgram {
    std::vector<ProgramElement> elements;
    quint8 pressure = 0;  // the two calibration values after the end mark
    quint8 humidity = 0;

    friend bool operator==(const CompiledProgram &, const CompiledProgram &) = default;
};
