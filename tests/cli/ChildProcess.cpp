// The platform-independent part of ChildProcess: collecting the output and the end.
#include "cli/ChildProcess.h"

#include <algorithm>

namespace {

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

ChildSetup withInput(const std::string& input) {
    ChildSetup setup;
    setup.input = input;
    return setup;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& input)
    : ChildProcess(program, arguments, withInput(input)) {}

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

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> result;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        result.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return result;
}
