// The process's standard streams as marlin-load uses them. A POSIX half and a Windows half.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

class ConsoleEvents;

namespace console {

enum class Stream { Output, Error };

// Makes descriptors 0 to 2 safe to use: each one that is closed is opened on the null device,
// so that no pipe or file the program opens later takes its place (and is then read as the
// password, or written with messages). Call first, before anything is opened.
void protectStandardStreams();

// True when the stream is a terminal (a console on Windows), not a file or a pipe.
bool isTerminal(Stream stream);
bool inputIsTerminal();

// The width of the terminal (the console's window on Windows) the stream writes to, in
// columns; 0 when it is no terminal or does not say.
std::size_t terminalColumns(Stream stream);

// Writes the UTF-8 text and flushes: to a Windows console as its wide characters, elsewhere in
// the local encoding (platform::localFromUtf8): the ANSI code page for a Windows program's
// redirected output, the locale's character set on a terminal.
void write(Stream stream, const std::string& text);

// The password, in UTF-8: asked for on the terminal without echo (the prompt on standard
// error), or else the first line of standard input (see typedLineInUtf8). A line that ends without
// its line break counts (Ctrl+D after a typed password, a file without a last line feed). Returns
// none when a stop request comes first, or the input ends before a single byte. The terminal's echo
// comes back on every way out, a signal that ends the program included.
std::optional<std::string> readPassword(const ConsoleEvents& events);

// A line as the user means it: without a UTF-8 byte-order mark before it (an editor's
// "UTF-8" file) and without a carriage return after it (a Windows line end).
std::string withoutLineMarks(std::string line);

// A line read from standard input, without its marks, in UTF-8: a byte-order mark says it is
// UTF-8 already; else it is in the local encoding (platform::utf8FromLocal).
std::string typedLineInUtf8(std::string line);

// The UTF-8 text with its letters in upper case, national ones too, as the dialog's
// upper-case fields make them.
std::string upperCased(const std::string& text);

} // namespace console
