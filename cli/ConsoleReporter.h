// The load job's reports on a console, in place of the dialog's log, message box and
// progress bar.
#pragma once

#include "cli/Console.h"
#include "load/LoadState.h"

#include <cstdint>
#include <mutex>
#include <string>

// Status lines go to standard output, one a line, as the dialog's log shows them; the
// message box texts to standard error; the progress as a bar redrawn in place on standard
// error when that is a terminal. The hooks run on the worker thread, requestStop() and
// notice() on the main thread.
class ConsoleReporter {
  public:
    explicit ConsoleReporter(bool showProgressBar);

    // The reports of the next load; this reporter must outlive them.
    LoadReporter reporter();

    // The dialog's Stop: unless the load's flag is already clear (the job is ending, or a stop
    // came before), clears it and writes "Loading stopped by user request.". Returns whether
    // it did.
    bool requestStop(LoadStop& stop);
    // A line of marlin-load's own on standard error.
    void notice(const std::string& text);
    // A load refused before it started: its text as the job reports a failure, on standard
    // error as the message and on standard output as the last status line.
    void reportFailure(const std::string& text);
    // Removes the progress bar; call when the job has ended.
    void finish();

    // Between loads only: what begins every line of the next load ("ORDERS: "), and what
    // follows its progress bar ("ORDERS, 1 of 5 tables done").
    void setLinePrefix(const std::string& prefix) { linePrefix_ = prefix; }
    void setBarCaption(const std::string& caption) { barCaption_ = caption; }

  private:
    void addStatusLine(const std::string& line);
    void showProgress(std::int32_t percent);
    void showMessage(const std::string& text);
    void writeLine(console::Stream stream, const std::string& text);
    void drawBar();
    void clearBar();

    // The worker's hooks and the main thread's stop line and notices all write the console
    // and the bar below; this lock keeps them apart.
    std::mutex mutex_;
    const bool showProgressBar_;
    std::int32_t barPercent_ = -1; // -1: no bar on the screen
    std::size_t barLength_ = 0;    // columns of the bar on the screen, its caption included
    std::string linePrefix_;
    std::string barCaption_;
};
