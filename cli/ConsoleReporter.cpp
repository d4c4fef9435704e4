// The load job's status lines, messages and progress, written to the console.
#include "cli/ConsoleReporter.h"

#include "load/FixedTexts.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <utility>

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

void ConsoleReporter::beginRun(std::vector<std::string> tables, std::size_t jobs) {
    tables_ = std::move(tables);
    jobs_ = jobs;
    tablesDone_ = 0;
}

LoadReporter ConsoleReporter::startLoad(std::size_t index) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (severalAtOnce()) {
            running_[index] = {};
            showRunProgress();
        } else if (tables_.size() > 1) {
            barCaption_ = tables_[index] + ", " + std::to_string(index) + " of " +
                          std::to_string(tables_.size()) + " tables done";
        }
    }
    LoadReporter reporter;
    reporter.statusLine = [this, index](const std::string& line) { addStatusLine(index, line); };
    reporter.progress = [this, index](std::int32_t percent) { showProgress(index, percent); };
    reporter.message = [this, index](const std::string& text) { showMessage(index, text); };
    if (severalAtOnce())
        reporter.rowsCommitted = [this, index](std::int64_t rows) { showRows(index, rows); };
    return reporter;
}

void ConsoleReporter::endLoad(std::size_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++tablesDone_;
    if (!severalAtOnce())
        return clearBar();
    running_.erase(index);
    showRunProgress();
}

bool ConsoleReporter::requestStop(LoadStop& stop, std::size_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    // The job clears the flag before its last line, and an earlier stop cleared it too: only
    // the side that clears it first decides how the load ends.
    if (!stop.claimEnding())
        return false;
    writeLine(console::Stream::Output, prefixOf(index) + fixed_text::kStopped);
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

std::string ConsoleReporter::prefixOf(std::size_t index) const {
    return tables_.size() > 1 ? tables_[index] + ": " : "";
}

void ConsoleReporter::addStatusLine(std::size_t index, const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    writeLine(console::Stream::Output, prefixOf(index) + statusTextAsOneLine(line));
}

void ConsoleReporter::showProgress(std::size_t index, std::int32_t percentGiven) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int32_t percent = std::clamp(percentGiven, 0, 100);
    if (severalAtOnce()) {
        running_[index].percent = percent;
        return showRunProgress();
    }
    if (!showProgressBar_ || percent == barPercent_)
        return;
    // Every bar has the same width, so the new one covers the old one.
    barPercent_ = percent;
    drawBar();
}

void ConsoleReporter::showRows(std::size_t index, std::int64_t rows) {
    std::lock_guard<std::mutex> lock(mutex_);
    running_[index].rows = rows;
    showRunProgress();
}

// The run's share done (each running table counting its own share) and the rows committed
// so far in each running table.
void ConsoleReporter::showRunProgress() {
    if (!showProgressBar_)
        return;
    std::int64_t percents = static_cast<std::int64_t>(tablesDone_) * 100;
    std::string caption =
        std::to_string(tablesDone_) + " of " + std::to_string(tables_.size()) + " tables done";
    for (const auto& [index, load] : running_) {
        percents += load.percent;
        caption += ", " + tables_[index] + " " + std::to_string(load.rows) + " rows";
    }
    const auto percent =
        static_cast<std::int32_t>(percents / static_cast<std::int64_t>(tables_.size()));
    // Each load's progress comes often: the bar is drawn again only when it changes.
    if (percent == barPercent_ && caption == barCaption_)
        return;
    barPercent_ = percent;
    barCaption_ = std::move(caption);
    drawBar();
}

void ConsoleReporter::reportFailure(std::size_t index, const std::string& text) {
    showMessage(index, text);
    std::lock_guard<std::mutex> lock(mutex_);
    writeLine(console::Stream::Output, prefixOf(index) + statusTextAsOneLine(text));
}

void ConsoleReporter::showMessage(std::size_t index, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    writeLine(console::Stream::Error, prefixOf(index) + withoutTrailingLineBreaks(text));
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
    const std::size_t length = charactersOf(bar);
    // The caption of several loads at once changes its length: blanks cover what a longer
    // bar before left. A load's own bar keeps its width.
    const std::size_t blanks = severalAtOnce() && barLength_ > length ? barLength_ - length : 0;
    barLength_ = length + blanks;
    console::write(console::Stream::Error, "\r" + bar + std::string(blanks, ' '));
}

void ConsoleReporter::clearBar() {
    if (barPercent_ < 0)
        return;
    barPercent_ = -1;
    console::write(console::Stream::Error, "\r" + std::string(barLength_, ' ') + "\r");
    barLength_ = 0;
}
