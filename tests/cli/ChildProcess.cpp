// The platform-independent part of ChildProcess: collecting the output and the end.
#include "cli/ChildProcess.h"

#include <algorithm>

namespace {

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

} // namespace

ChildProcess::~ChildProcess() {
    wait();
}

bool ChildProcess::waitForOutput(const std::string& text) {
    while (output().find(text) == std::string::npos)
        if (!readSome(outputPipe_, output_))
            return false;
    return true;
}

int ChildProcess::wait() {
    if (ended_)
        return exitStatus_;
    while (readSome(outputPipe_, output_)) {
    }
    while (readSome(errorPipe_, errors_)) {
    }
    exitStatus_ = waitForExit();
    ended_ = true;
    return exitStatus_;
}

std::string ChildProcess::output() const {
    return withoutCarriageReturns(output_);
}

std::string ChildProcess::errors() const {
    return withoutCarriageReturns(errors_);
}
