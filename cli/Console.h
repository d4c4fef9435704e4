// The process's standard streams as marlin-load uses them. A POSIX half and a Windows half.
#pragma once

#include <optional>
#include <string>

class ConsoleEvents;

namespace console {

enum class Stream { Output, Error };

// True when the stream is a terminal (a console on Windows), not a file or a pipe.
bool isTerminal(Stream stream);
bool inputIsTerminal();

// Writes the UTF-8 text and flushes: to a Windows console as its wide characters, elsewhere in
// the local encoding (platform::localFromUtf8): the ANSI code page for a Windows program's
// redirected output, the locale's character set on a terminal.
void write(Stream stream, const std::string& text);

// Asks for a line on the terminal without echoing it: the prompt on standard error, the
// answer from standard input, in UTF-8. Returns none when a stop request or the end of the
// input comes first.
std::optional<std::string> readHiddenLine(const char* prompt, const ConsoleEvents& events);

} // namespace console
