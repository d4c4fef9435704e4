// The copy stage of a load: a free name, the copy, its repair, and its deletion.
#include "load/WorkingCopy.h"

#include "dbf/DbfHeader.h"
#include "load/FixedTexts.h"
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
    reporter_.status(fixed_text::kHeaderNotFormatted);
    Attempt attempt = copyUnder(fileName, fileName, stopRequested);
    // A read-only folder or share still loads: 40 of 42 real tables needed their copy.
    if (attempt == Attempt::CopyFailed) {
        reporter_.status("Cannot write copy of file beside it: " + copyFailure_ +
                         ". Trying the temporary folder..");
        attempt = copyUnder(platform::pathInTemporaryFolder(fileName), fileName, stopRequested);
    }
    switch (attempt) {
    case Attempt::Stopped:
        return Outcome::Stopped;
    case Attempt::NoFreeName:
        failureText_ = fixed_text::kNoFreeCopyName;
        return Outcome::Failed;
    case Attempt::CopyFailed:
        failureText_ = fixed_text::kCopyFailed + shown(fileName) + " to " + shown(failedName_) +
                       ": " + copyFailure_;
        return Outcome::Failed;
    default:
        break;
    }
    reporter_.status(fixed_text::kCopyCreated);
    reportCopiesFound();
    return repairDbfHeader(name_.c_str()) ? Outcome::Made : Outcome::RepairFailed;
}

WorkingCopy::Attempt WorkingCopy::copyUnder(const std::string& stem, const std::string& fileName,
                                            const std::function<bool()>& stopRequested) {
    auto copyName = findFreeWorkingCopyName(stem, [this](const std::string& name, bool exists) {
        reporter_.status(fixed_text::kTryCopy + shown(name));
        if (!exists)
            return;
        reporter_.status(fixed_text::kFileExists);
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
        reporter_.status(shown(firstCopyFound_) +
                         " exists already: left by a load that did not end, or in use by one "
                         "running now.");
    else if (copiesFound_ > 1)
        reporter_.status(std::to_string(copiesFound_) +
                         " copies of the file exist already, the first " + shown(firstCopyFound_) +
                         ": left by loads that did not end, or in use by ones running now.");
}

void WorkingCopy::remove() {
    if (name_.empty())
        return;
    // The user must learn of a copy left on disk; the line comes before the job's last one.
    if (!platform::deleteFile(name_))
        reporter_.status("Cannot delete copy of file " + shown(name_));
    name_.clear();
}
