#pragma once

// For the tests and the fuzzer of the decoder, which check that decoding
// loses nothing. Writes a decoded program back through the compiler's ProgramWriter: the
// same bytes, and the listing the check writes beside them. Which comment a
// record's closing 0x00 takes is told by what follows it (a new effect record,
// a clear record, a command placed after the record, or the end mark) and by
// the record's last content, exactly as the check chose it. So a program that
// a check wrote, decoded and encoded again, gives back its bytes, and its
// listing too unless two text items stood side by side in one colour: their
// bytes run together in the program, and the listing then gives them one line.

#include "simulator/CompiledProgram.h"

#include "compiler/ProgramWriter.h"

ProgramWriter encodeProgram(const CompiledProgram &program);
