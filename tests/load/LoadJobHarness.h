// A load job run against the stand-in database, with every report the job makes recorded.
#pragma once

#include "load/LoadJob.h"
#include "support/ClientTable.h"
#include "support/DbfWriter.h"
#include "support/StandinDatabase.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One thing the job said, with the stop flag as it stood at that moment.
struct JobEvent {
    enum class Kind { Status, Progress, Message };
    Kind kind;
    std::string text;        // status line or message box text
    std::int32_t percent;    // progress
    std::int32_t loadActive; // 1 while the load's stop flag was set when the job reported
};

// A scratch folder for DBF files, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const std::string& name) const;
    // The names of the files in the folder, sorted.
    std::vector<std::string> fileNames() const;

  private:
    std::string folder_;
};

class LoadJobTest : public ::testing::Test {
  protected:
    LoadJobTest();
    ~LoadJobTest() override;

    // Writes the table as clients.dbf (and the memos as clients.FPT when given).
    void writeTable(const DbfWriter& table);
    void writeMemos(const FptWriter& memos);
    // Sets the fault-injection rules for the next load.
    void failWith(const std::string& rules);
    // Runs one load of `request` on this thread, as the dialog would start it; `result` says
    // how it ended.
    // Unless told otherwise, checks that every handle the load made is free once it ended
    // (a break of another thread's frees those it holds only when it returns).
    void runLoad(bool checkHandles = true);

    std::vector<std::string> statusLines() const;
    std::vector<std::string> messages() const;
    std::vector<std::int32_t> progressValues() const;
    const JobEvent& lastEvent() const { return events_.back(); }
    standin_test::StoredTable loadedTable(const std::string& tableName = "CLIENTS") const;

    // Called on every report, after it was recorded: a test can ask for a stop here.
    std::function<void(const JobEvent&)> onEvent;

    ScratchFolder folder;
    standin_test::StandinDatabase database;
    std::string dbfPath;
    // The next load's request: dbfPath into CLIENTS as SCOTT/tiger@ORCL, default options.
    LoadRequest request;
    // The load's stop flag: a test clears it to stop the load, or claims the ending as the
    // dialog's Stop does.
    LoadStop stop;
    LoadJob::Result result;

  private:
    void record(JobEvent event);

    LoadReporter reporter_;
    std::vector<JobEvent> events_;
};
