// The copy stage of a load: a free name, the copy, its repair, and its deletion.
#include "load/WorkingCopy.h"

#include "dbf/DbfHeader.h"
#include "load/LoadState.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {

// File names are in the system's encoding; every text the job reports is UTF-8.
std::string shown(const std::string& path) {
    return platform::utf8FromLocal(path);
}

} // namespace

WorkingCopy::Outcome WorkingCopy::make(const std::string& fileName,
                                       const std::function<bool()>& stopRequested) {
    reportStatus("Header not formatted propely. Loading from copy of file.. ");
    Attempt attempt = copyUnder(fileName, fileName, stopRequested);
    // A read-only folder or share still loads: 40 of 42 real tables needed their copy.
    if (attempt == Attempt::CopyFailed) {
        reportStatus("Cannot write copy of file beside it: " + copyFailure_ +
                     ". Trying the temporary folder..");
        attempt = copyUnder(platform::pathInTemporaryFolder(fileName), fileName, stopRequested);
    }
    switch (attempt) {
    case Attempt::Stopped:
        return Outcome::Stopped;
    case Attempt::NoFreeName:
        failureText_ = "Error while create copy of file (file index too big)";
        return Outcome::Failed;
    case Attempt::CopyFailed:
        failureText_ = "Error while copy file " + shown(fileName) + " to " + shown(failedName_) +
                       ": " + copyFailure_;
        return Outcome::Failed;
    default:
        break;
    }
    reportStatus("Copy of file created.");
    reportCopiesFound();
    return repairDbfHeader(name_.c_str()) ? Outcome::Made : Outcome::RepairFailed;
}

WorkingCopy::Attempt WorkingCopy::copyUnder(const std::string& stem, const std::string& fileName,
                                            const std::function<bool()>& stopRequested) {
    auto copyName = findFreeWorkingCopyName(stem, [this](const std::string& name, bool exists) {
        reportStatus("Try copy file to " + shown(name));
        if (!exists)
            return;
        reportStatus("File exists. ");
        if (copiesFound_++ == 0)
            firstCopyFound_ = name;
    });
    if (!copyName)
        return Attempt::NoFreeName;
    // A copy that fails or is stopped leaves no file behind.
    switch (platform::copyFile(fileName, *copyName, copyFailure_, stopRequested)) {
    case platform::CopyResult::Copied:
        name_ = *copyName;
        return Attempt::Copied;
    case platform::CopyResult::Stopped:
        return Attempt::Stopped;
    default:
        failedName_ = *copyName;
        return Attempt::CopyFailed;
    }
}

void WorkingCopy::reportCopiesFound() const {
    if (copiesFound_ == 1)
        reportStatus(shown(firstCopyFound_) +
                     " exists already: left by a load that did not end, or in use by one "
                     "running now.");
    else if (copiesFound_ > 1)
        reportStatus(std::to_string(copiesFound_) +
                     " copies of the file exist already, the first " + shown(firstCopyFound_) +
                     ": left by loads that did not end, or in use by ones running now.");
}

void WorkingCopy::remove() {
    if (name_.empty())
        return;
    // The user must learn of a copy left on disk; the line comes before the job's last one.
    if (!platform::deleteFile(name_))
        reportStatus("Cannot delete copy of file " + shown(name_));
    name_.clear();
}
