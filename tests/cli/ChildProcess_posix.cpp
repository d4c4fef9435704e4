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
                           const std::string& input) {
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0)
        throw std::runtime_error("no pipes for " + program);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    for (int unused : {in[1], out[0], err[0], in[0], out[1], err[1]})
        posix_spawn_file_actions_addclose(&actions, unused);
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
    (void)!::write(in[1], input.data(), input.size());
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

int ChildProcess::waitForExit() {
    int status = 0;
    ::waitpid(descriptor(process_), &status, 0);
    ::close(descriptor(outputPipe_));
    ::close(descriptor(errorPipe_));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
