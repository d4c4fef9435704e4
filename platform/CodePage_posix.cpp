// POSIX half of the texts of people and machine: the locale's character set through iconv,
// and upper case through the C library's UTF-8 locale.
#include "platform/CodePage.h"

#include "platform/Utf8.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <wctype.h>

#include <cerrno>

namespace platform {

namespace {

// The locale's character set, from LC_ALL, LC_CTYPE or LANG as a C program's would be; UTF-8
// when that is UTF-8, when the locale is C (plain ASCII, which a terminal seldom is) or when
// it names no locale this system has. Any thread: made once on first use (a function-local
// static) and only read after; the process's own locale is never changed.
const std::string& localCharacterSet() {
    static const std::string name = [] {
        const locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr))
            return std::string("UTF-8");
        std::string codeset = ::nl_langinfo_l(CODESET, locale);
        ::freelocale(locale);
        if (codeset.empty() || codeset == "ANSI_X3.4-1968")
            codeset = "UTF-8";
        return codeset;
    }();
    return name;
}

bool localIsUtf8() {
    return localCharacterSet() == "UTF-8";
}

// Valid UTF-8 as it stands, with U+FFFD for every byte that starts no character.
std::string validUtf8(const std::string& text) {
    std::string valid;
    valid.reserve(text.size());
    for (std::size_t at = 0; at < text.size();)
        utf8::append(utf8::next(text, at), valid);
    return valid;
}

// `text` converted by iconv from `from` to `to`; a byte sequence that is no character of
// `from`, or a character `to` lacks, becomes `replacement`.
std::string convert(const std::string& text, const char* from, const char* to,
                    const std::string& replacement) {
    const iconv_t descriptor = ::iconv_open(to, from);
    if (descriptor == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* at = &out[0];
    std::size_t outLeft = out.size();
    while (inLeft > 0 &&
           ::iconv(descriptor, &in, &inLeft, &at, &outLeft) == static_cast<std::size_t>(-1)) {
        if (errno == EINVAL || errno == E2BIG || outLeft < replacement.size())
            break;
        // Skips one byte of the input; a character `to` lacks is skipped whole.
        std::size_t skipped = 1;
        if (from == std::string("UTF-8")) {
            std::size_t next = static_cast<std::size_t>(in - text.data());
            utf8::next(text, next);
            skipped = next - static_cast<std::size_t>(in - text.data());
        }
        out.replace(static_cast<std::size_t>(at - out.data()), replacement.size(), replacement);
        at += replacement.size();
        outLeft -= replacement.size();
        in += skipped;
        inLeft -= skipped;
    }
    ::iconv_close(descriptor);
    out.resize(static_cast<std::size_t>(at - out.data()));
    return out;
}

// Any thread: made once on first use, only read after (towupper_l takes it as it stands).
locale_t utf8Locale() {
    static const locale_t locale =
        ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

unsigned oemCodePage() {
    return 437;
}

std::string utf8FromLocal(const std::string& text) {
    if (localIsUtf8())
        return validUtf8(text);
    return convert(text, localCharacterSet().c_str(), "UTF-8", utf8::kReplacement);
}

std::string localFromUtf8(const std::string& text) {
    if (localIsUtf8())
        return text;
    return convert(text, "UTF-8", localCharacterSet().c_str(), "?");
}

std::string upperCasedUtf8(const std::string& text) {
    const locale_t locale = utf8Locale();
    std::string upper;
    upper.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t character = utf8::next(text, at);
        if (locale != static_cast<locale_t>(nullptr))
            character = static_cast<char32_t>(::towupper_l(static_cast<wint_t>(character), locale));
        else if (character >= 'a' && character <= 'z')
            character -= 'a' - 'A';
        utf8::append(character, upper);
    }
    return upper;
}

} // namespace platform
