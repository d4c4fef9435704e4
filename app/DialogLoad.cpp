// The main dialog's load parameters and status.
#include "app/DialogLoad.h"

namespace LoadParams {
std::string fileName;
std::string tableName;
std::string userName;
std::string password;
std::string database;
LoadOptions options;
} // namespace LoadParams

LoadRequest copyLoadParams() {
    return {LoadParams::fileName, LoadParams::tableName, LoadParams::userName,
            LoadParams::password, LoadParams::database,  LoadParams::options};
}

void setLoadParams(const LoadRequest& request) {
    LoadParams::fileName = request.fileName;
    LoadParams::tableName = request.tableName;
    LoadParams::userName = request.userName;
    LoadParams::password = request.password;
    LoadParams::database = request.database;
    LoadParams::options = request.options;
}

namespace {
LoadStop dialogStop;
} // namespace

LoadStop& dialogLoadStop() {
    return dialogStop;
}

namespace LoadStatus {
std::string statusText;
std::int32_t progressPercent = 0;
std::atomic<std::int32_t>& loadActive = dialogStop.flag();
void* targetWindow = nullptr;
unsigned addStrMessageId = 0;
unsigned showProgressMessageId = 0;
} // namespace LoadStatus
