// The process's standard streams as marlin-load uses them. A POSIX half and a Windows half.
#pragma once

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

// Writes the text as it stands and flushes. On a Windows console the text is shown in the
// ANSI code page the load works in; elsewhere its bytes go out unchanged.
void write(Stream stream, const std::string& text);

// The password: asked for on the terminal without echo (the prompt on standard error), or
// else the first line of standard input. A line that ends without its line break counts
// (Ctrl+D after a typed password, a file without a last line feed). Returns none when a stop
// request comes first, or the input ends before a single byte. The terminal's echo comes back
// on every way out, a signal that ends the program included.
std::optional<std::string> readPassword(const ConsoleEvents& events);

// A line as the user means it: without a UTF-8 byte-order mark before it (an editor's
// "UTF-8" file) and without a carriage return after it (a Windows line end).
std::string withoutLineMarks(std::string line);

// The text with its letters in upper case, as the dialog's upper-case fields make it: on
// Windows every letter of the ANSI code page, elsewhere the ASCII letters only (the bytes of
// a multi-byte character are left alone).
std::string upperCased(const std::string& text);

} // namespace console
