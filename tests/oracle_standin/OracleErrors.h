// Oracle's error numbers and message texts as the stand-in reports them.
#pragma once

#include <string>

namespace standin {

// One diagnostic record: the positive ORA number and the full text "ORA-NNNNN: ...\n", in
// UTF-8 (OCIErrorGet hands it out in the client's set). Texts are English, or German when
// NLS_LANG names that language, as a client's message files are.
struct ErrorRecord {
    int code = 0;
    std::string text;
};

// The record for `code` with Oracle's fixed text, or Oracle's text for a missing message.
ErrorRecord oracleError(int code);
// ORA-00904 naming the identifier; an empty name gives ": invalid identifier".
ErrorRecord invalidIdentifier(const std::string& quotedName);
// ORA-12899 for a value of `actualBytes` bytes in a column of `maximumBytes`; the names in
// UTF-8.
ErrorRecord valueTooLarge(const std::string& user, const std::string& table,
                          const std::string& column, std::size_t actualBytes,
                          std::size_t maximumBytes);

// ORA-22060 for bytes that are no NUMBER, naming the bind `position` (from 1) as the argument.
ErrorRecord invalidNumberBytes(unsigned position);

// True for the warnings an execution may end with (24344, 24345, 24347).
bool isExecutionWarning(int code);
// True for the warnings a logon may succeed with (28002, 28011).
bool isLogonWarning(int code);
// True for the errors of a connection that is gone (3113, 3114, 3135).
bool isLostConnection(int code);

} // namespace standin
