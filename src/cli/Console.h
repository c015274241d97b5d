#pragma once

// The console the command-line tool runs in, as far as its output depends
// on it.

namespace Console {

// Readies the standard streams: bytes pass through unchanged (a source file
// written to standard output stays byte for byte the same), and text shows
// in UTF-8 where the console has a code page of its own. Called first thing.
void prepare();

// Standard error is a terminal (a console window) rather than a file or a
// pipe: the progress line is shown only then.
bool standardErrorIsTerminal();

} // namespace Console
