// The load job's status lines, messages and progress, written to the console.
#include "cli/ConsoleReporter.h"

#include "load/FixedTexts.h"
#include "platform/Utf8.h"

#include <algorithm>

namespace {

// The bar's width when the terminal has room, and the least it shrinks to before the caption
// is cut; the brackets, a blank and "100 %" take 8 more.
constexpr std::size_t kBarWidth = 40;
constexpr std::size_t kLeastBarWidth = 10;
constexpr std::size_t kBarFrameWidth = 8;
constexpr std::size_t kCaptionGap = 2;

// Characters of a UTF-8 text: the columns it takes, for the letters of table names.
std::size_t charactersOf(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char byte) {
        return !utf8::isContinuationByte(static_cast<unsigned char>(byte));
    }));
}

// The first `count` characters of a UTF-8 text.
std::string firstCharacters(const std::string& text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size(); ++end) {
        if (!utf8::isContinuationByte(static_cast<unsigned char>(text[end])) &&
            characters++ == count)
            break;
    }
    return text.substr(0, end);
}

// "[####....]  42 %  CAPTION", narrower than a terminal of `columns` (0: of unknown width), so
// that the terminal never wraps it and the carriage return finds its start: the bar gives
// way first, down to its least width, then the caption is cut.
std::string barText(std::int32_t percent, const std::string& caption, std::size_t columns) {
    std::size_t width = kBarWidth;
    std::string shownCaption = caption;
    if (columns > 0) {
        // The last column stays free: some terminals wrap as soon as it is written.
        const std::size_t room = columns - 1;
        const std::size_t captionWidth = caption.empty() ? 0 : kCaptionGap + charactersOf(caption);
        const std::size_t spare =
            room > kBarFrameWidth + captionWidth ? room - kBarFrameWidth - captionWidth : 0;
        const std::size_t least =
            std::min(kLeastBarWidth, room > kBarFrameWidth ? room - kBarFrameWidth : 0);
        width = std::max(std::min(kBarWidth, spare), least);
        const std::size_t left = room > kBarFrameWidth + width ? room - kBarFrameWidth - width : 0;
        shownCaption = left > kCaptionGap ? firstCharacters(caption, left - kCaptionGap) : "";
    }
    const auto filled = static_cast<std::size_t>(percent) * width / 100;
    std::string bar = "[" + std::string(filled, '#') + std::string(width - filled, '.') + "] ";
    const std::string number = std::to_string(percent);
    bar += std::string(3 - number.size(), ' ') + number + " %";
    if (!shownCaption.empty())
        bar += "  " + shownCaption;
    return bar;
}

// A message box shows the text's line breaks; on the console the last ones would only leave
// an empty line.
std::string withoutTrailingLineBreaks(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace

ConsoleReporter::ConsoleReporter(bool showProgressBar) : showProgressBar_(showProgressBar) {}

LoadReporter ConsoleReporter::reporter() {
    return {
        [this](const std::string& line) { addStatusLine(line); },
        [this](std::int32_t percent) { showProgress(percent); },
        [this](const std::string& text) { showMessage(text); },
    };
}

bool ConsoleReporter::requestStop(LoadStop& stop) {
    std::lock_guard<std::mutex> lock(mutex_);
    // The job clears the flag before its last line, and an earlier stop cleared it too: only
    // the side that clears it first decides how the load ends.
    if (!stop.claimEnding())
        return false;
    writeLine(console::Stream::Output, linePrefix_ + fixed_text::kStopped);
    return true;
}

void ConsoleReporter::notice(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    writeLine(console::Stream::Error, text);
}

void ConsoleReporter::finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    clearBar();
}

void ConsoleReporter::addStatusLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    writeLine(console::Stream::Output, linePrefix_ + statusTextAsOneLine(line));
}

void ConsoleReporter::showProgress(std::int32_t percentGiven) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int32_t percent = std::clamp(percentGiven, 0, 100);
    if (!showProgressBar_ || percent == barPercent_)
        return;
    // Every bar has the same width, so the new one covers the old one.
    barPercent_ = percent;
    drawBar();
}

void ConsoleReporter::reportFailure(const std::string& text) {
    showMessage(text);
    std::lock_guard<std::mutex> lock(mutex_);
    writeLine(console::Stream::Output, linePrefix_ + statusTextAsOneLine(text));
}

void ConsoleReporter::showMessage(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    writeLine(console::Stream::Error, linePrefix_ + withoutTrailingLineBreaks(text));
}

// A line never lands in the middle of the bar: the bar goes, the line is written, the bar
// comes back below it.
void ConsoleReporter::writeLine(console::Stream stream, const std::string& text) {
    const std::int32_t percent = barPercent_;
    clearBar();
    console::write(stream, text + "\n");
    barPercent_ = percent;
    drawBar();
}

void ConsoleReporter::drawBar() {
    if (barPercent_ < 0)
        return;
    // Asked each time: the user may resize the window during a load.
    const std::string bar =
        barText(barPercent_, barCaption_, console::terminalColumns(console::Stream::Error));
    barLength_ = charactersOf(bar);
    console::write(console::Stream::Error, "\r" + bar);
}

void ConsoleReporter::clearBar() {
    if (barPercent_ < 0)
        return;
    barPercent_ = -1;
    console::write(console::Stream::Error, "\r" + std::string(barLength_, ' ') + "\r");
}
