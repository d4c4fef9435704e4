// The load job's status lines, messages and progress, written to the console.
#include "cli/ConsoleReporter.h"

#include <algorithm>

namespace {

constexpr int kBarWidth = 40;

// A message box shows the text's line breaks; on the console the last ones would only leave
// an empty line.
std::string withoutTrailingLineBreaks(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace

ConsoleReporter::ConsoleReporter(bool showProgressBar) : showProgressBar_(showProgressBar) {}

LoadHooks ConsoleReporter::hooks() {
    return {
        [this] { addStatusLine(); },
        [this] { showProgress(); },
        [this](const char* text) { showMessage(text); },
    };
}

bool ConsoleReporter::requestStop() {
    std::lock_guard<std::mutex> lock(mutex_);
    // The job clears the flag before its last line, and an earlier stop cleared it too: only
    // the side that clears it first decides how the load ends.
    if (LoadStatus::loadActive.exchange(0) == 0)
        return false;
    writeLine(console::Stream::Output, linePrefix_ + "Loading stopped by user request.");
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

void ConsoleReporter::addStatusLine() {
    std::lock_guard<std::mutex> lock(mutex_);
    writeLine(console::Stream::Output, linePrefix_ + statusTextAsOneLine(LoadStatus::statusText));
}

void ConsoleReporter::showProgress() {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int32_t percent = std::clamp(LoadStatus::progressPercent, 0, 100);
    if (!showProgressBar_ || percent == barPercent_)
        return;
    // Every bar has the same width, so the new one covers the old one.
    barPercent_ = percent;
    drawBar();
}

void ConsoleReporter::showMessage(const char* text) {
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
    const int filled = barPercent_ * kBarWidth / 100;
    std::string bar =
        "\r[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] ";
    const std::string percent = std::to_string(barPercent_);
    bar += std::string(3 - percent.size(), ' ') + percent + " %";
    if (!barCaption_.empty())
        bar += "  " + barCaption_;
    barLength_ = bar.size() - 1; // without its carriage return
    console::write(console::Stream::Error, bar);
}

void ConsoleReporter::clearBar() {
    if (barPercent_ < 0)
        return;
    barPercent_ = -1;
    console::write(console::Stream::Error, "\r" + std::string(barLength_, ' ') + "\r");
}
