// POSIX half of ChildProcess: posix_spawn with three pipes.
#include "cli/ChildProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

extern char** environ;

namespace {

int descriptor(void* pipe) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(pipe));
}

void* asPointer(int descriptor) {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(descriptor));
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const ChildSetup& setup) {
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0)
        throw std::runtime_error("no pipes for " + program);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions,
                                     setup.inputDescriptor >= 0 ? setup.inputDescriptor : in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(
        &actions, setup.errorDescriptor >= 0 ? setup.errorDescriptor : err[1], 2);
    for (int unused : {in[1], out[0], err[0], in[0], out[1], err[1], setup.inputDescriptor,
                       setup.errorDescriptor})
        if (unused > 2)
            posix_spawn_file_actions_addclose(&actions, unused);
    for (int descriptor : setup.closed)
        posix_spawn_file_actions_addclose(&actions, descriptor);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (failed != 0)
        throw std::runtime_error("cannot start " + program);
    process_ = asPointer(pid);
    outputPipe_ = asPointer(out[0]);
    errorPipe_ = asPointer(err[0]);
    // Small inputs fit the pipe, so this never waits for the child.
    (void)!::write(in[1], setup.input.data(), setup.input.size());
    if (setup.keepInputOpen)
        inputPipe_ = asPointer(in[1]);
    else
        ::close(in[1]);
}

bool ChildProcess::readSome(void* pipe, std::string& text) {
    char buffer[4096];
    const ssize_t count = ::read(descriptor(pipe), buffer, sizeof buffer);
    if (count <= 0)
        return false;
    text.append(buffer, static_cast<std::size_t>(count));
    return true;
}

void ChildProcess::sendSignal(int signalNumber) {
    ::kill(descriptor(process_), signalNumber);
}

int ChildProcess::processId() const {
    return descriptor(process_);
}

bool ChildProcess::endsWithin(int seconds) {
    for (int wait = 0; wait < seconds * 100 && !reaped_; ++wait) {
        reaped_ = ::waitpid(processId(), &rawStatus_, WNOHANG) == processId();
        if (!reaped_)
            ::usleep(10000);
    }
    if (reaped_)
        return true;
    ::kill(processId(), SIGKILL);
    return false;
}

int ChildProcess::waitForExit() {
    if (!reaped_)
        ::waitpid(processId(), &rawStatus_, 0);
    reaped_ = true;
    ::close(descriptor(outputPipe_));
    ::close(descriptor(errorPipe_));
    if (inputPipe_ != nullptr)
        ::close(descriptor(inputPipe_));
    return WIFEXITED(rawStatus_) ? WEXITSTATUS(rawStatus_) : -1;
}
