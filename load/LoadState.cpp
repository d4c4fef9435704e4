// The shared load parameters and status, and the hooks through which the job reports.
#include "load/LoadState.h"

#include <utility>

namespace LoadParams {
std::string fileName;
std::string tableName;
std::string userName;
std::string password;
std::string database;
LoadOptions options;
} // namespace LoadParams

LoadTexts copyLoadParams() {
    return {LoadParams::fileName, LoadParams::tableName, LoadParams::userName,
            LoadParams::password, LoadParams::database,  LoadParams::options};
}

void setLoadParams(const LoadTexts& texts) {
    LoadParams::fileName = texts.fileName;
    LoadParams::tableName = texts.tableName;
    LoadParams::userName = texts.userName;
    LoadParams::password = texts.password;
    LoadParams::database = texts.database;
    LoadParams::options = texts.options;
}

namespace LoadStatus {
std::string statusText;
std::int32_t progressPercent = 0;
std::atomic<std::int32_t> loadActive{0};
void* targetWindow = nullptr;
unsigned addStrMessageId = 0;
unsigned showProgressMessageId = 0;
} // namespace LoadStatus

bool claimLoadEnding() {
    return LoadStatus::loadActive.exchange(0) != 0;
}

namespace {
// Set by the interface thread (or a test, or marlin-load's main thread) while no worker runs,
// then only called by the worker: starting the thread orders the two.
LoadHooks installedHooks;
} // namespace

void setLoadHooks(LoadHooks hooks) {
    installedHooks = std::move(hooks);
}

namespace {

bool isLineBreak(char letter) {
    return letter == '\n' || letter == '\r';
}

} // namespace

std::string statusTextAsOneLine(const std::string& statusText) {
    std::string::size_type end = statusText.size();
    while (end > 0 && isLineBreak(statusText[end - 1]))
        --end;
    std::string line;
    line.reserve(end);
    for (std::string::size_type at = 0; at < end; ++at) {
        if (!isLineBreak(statusText[at]))
            line += statusText[at];
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    return line;
}

void reportStatus(const std::string& text) {
    LoadStatus::statusText = text;
    sendStatusLine();
}

void sendStatusLine() {
    if (installedHooks.addStatusLine)
        installedHooks.addStatusLine();
}

void reportProgress(std::int32_t percent) {
    LoadStatus::progressPercent = percent;
    if (installedHooks.showProgress)
        installedHooks.showProgress();
}

void showLoadMessage(const char* text) {
    if (installedHooks.showMessage)
        installedHooks.showMessage(text);
}
