// The load job's reports on a console, in place of the dialog's log, message box and
// progress bar.
#pragma once

#include "cli/Console.h"
#include "load/LoadState.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// Status lines go to standard output, one a line, as the dialog's log shows them; the
// message box texts to standard error; the progress as a bar redrawn in place on standard
// error when that is a terminal. Each load of a run reports through its own LoadReporter,
// on its worker thread; the main thread asks for stops and writes notices. With several
// tables every line begins with its table's name; lines are written whole, one at a time.
class ConsoleReporter {
  public:
    explicit ConsoleReporter(bool showProgressBar);

    // Before the run: the tables in their order, and how many load at once. With one at a
    // time the bar shows the running load's progress and "TABLE, D of N tables done"; with
    // more, the share of the run done and "D of N tables done, TABLE R rows, ...".
    void beginRun(std::vector<std::string> tables, std::size_t jobs);
    // The reports of the run's table number `index`, which starts now; this reporter must
    // outlive them.
    LoadReporter startLoad(std::size_t index);
    // The load of table `index` has ended and reports no more: the bar counts it done.
    void endLoad(std::size_t index);

    // The dialog's Stop for table `index`: unless the load's flag is already clear (the job is
    // ending, or a stop came before), clears it and writes "Loading stopped by user
    // request.". Returns whether it did.
    bool requestStop(LoadStop& stop, std::size_t index);
    // A line of marlin-load's own on standard error.
    void notice(const std::string& text);
    // A load of table `index` refused before it started: its text as the job reports a
    // failure, on standard error as the message and on standard output as the last status
    // line.
    void reportFailure(std::size_t index, const std::string& text);
    // Removes the progress bar; call when the run has ended.
    void finish();

  private:
    // A load running in a run of several at once, as the bar shows it.
    struct RunningLoad {
        std::int32_t percent = 0;
        std::int64_t rows = 0;
    };

    std::string prefixOf(std::size_t index) const;
    bool severalAtOnce() const { return jobs_ > 1 && tables_.size() > 1; }
    void addStatusLine(std::size_t index, const std::string& line);
    void showProgress(std::size_t index, std::int32_t percent);
    void showRows(std::size_t index, std::int64_t rows);
    void showMessage(std::size_t index, const std::string& text);
    void showRunProgress();
    void writeLine(console::Stream stream, const std::string& text);
    void drawBar();
    void clearBar();

    // The workers' reports and the main thread's stop lines and notices all write the
    // console and the bar below; this lock keeps them apart.
    std::mutex mutex_;
    const bool showProgressBar_;
    std::vector<std::string> tables_;
    std::size_t jobs_ = 1;
    std::size_t tablesDone_ = 0;
    std::map<std::size_t, RunningLoad> running_; // by index, so in the order given
    std::int32_t barPercent_ = -1;               // -1: no bar on the screen
    std::size_t barLength_ = 0; // columns of the bar on the screen, its caption included
    std::string barCaption_;
};
