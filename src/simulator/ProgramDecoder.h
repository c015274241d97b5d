#pragma once

// Reads the compiled program's bytes into a CompiledProgram. The reader
// tracks whether it stands inside a record, since most lead bytes mean one
// thing at the top level and another inside a record.
//
// Errors: a program that does not follow the format (no start bytes, a record
// or picture cut short, a byte that cannot stand where it stands, no end mark
// or no calibration values after it, bytes after them) is refused with the
// offset of the offending byte and what was expected there. The decoder never
// reads past the end of what it is given and allocates nothing that the
// input does not account for.

#include "CompiledProgram.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

struct ProgramError {
    // Of the byte that is wrong (for a picture longer than what is left, its
    // width), or the size of the program when it ends too early.
    qsizetype offset = 0;
    QString expected;      // what should have stood there, "an end mark 0x03"

    // "offset 12: expected ..."
    QString toString() const;
};

std::optional<CompiledProgram> decodeProgram(QByteArrayView bytes, ProgramError *error = nullptr);
