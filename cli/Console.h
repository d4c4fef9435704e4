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

// Writes the text as it stands and flushes. On a Windows console the text is shown in the
// ANSI code page the load works in; elsewhere its bytes go out unchanged.
void write(Stream stream, const std::string& text);

// Asks for a line on the terminal without echoing it: the prompt on standard error, the
// answer from standard input. Returns none when a stop request or the end of the input
// comes first.
std::optional<std::string> readHiddenLine(const char* prompt, const ConsoleEvents& events);

// The text with its letters in upper case, as the dialog's upper-case fields make it: on
// Windows every letter of the ANSI code page, elsewhere the ASCII letters only (the bytes of
// a multi-byte character are left alone).
std::string upperCased(const std::string& text);

} // namespace console
