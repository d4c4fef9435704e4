// The working copy of a table whose field displacements need repair: made beside the table,
// or in the system's temporary folder when it cannot be written there, repaired, and deleted
// when the load ends.
#pragma once

#include "load/LoadState.h"

#include <functional>
#include <string>

// Used on the load's worker thread only. Every step is told to the load's reporter.
class WorkingCopy {
  public:
    enum class Outcome {
        Made,         // name() is the repaired copy to load from
        Failed,       // no copy: failureText() says why
        RepairFailed, // the copy was made but cannot be repaired; it stays for the user to see
        Stopped,      // `stopRequested` answered true during the copy; no copy is left
    };

    // `reporter` must outlive the copy.
    explicit WorkingCopy(const LoadReporter& reporter) : reporter_(reporter) {}
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    // Copies `fileName` under the first free name "fileName.N.tmp" beside it, or, when that
    // copy fails, under the first free such name in the temporary folder, and repairs the
    // copy's displacements. Names that are taken are named in a line after the copy, as left
    // by loads that did not end.
    Outcome make(const std::string& fileName, const std::function<bool()>& stopRequested);

    // The copy made; empty when none was, and after remove().
    const std::string& name() const { return name_; }
    const std::string& failureText() const { return failureText_; }

    // Deletes the copy. One that cannot be deleted is named in a status line, so that the
    // user learns of a file left on disk.
    void remove();

  private:
    enum class Attempt { Copied, NoFreeName, CopyFailed, Stopped };
    Attempt copyUnder(const std::string& stem, const std::string& fileName,
                      const std::function<bool()>& stopRequested);
    void reportCopiesFound() const;

    const LoadReporter& reporter_;
    std::string name_;
    std::string failureText_;
    std::string failedName_;  // the name the last failed copy was to take
    std::string copyFailure_; // the system's reason it failed
    int copiesFound_ = 0;     // names of earlier copies met while looking for a free one
    std::string firstCopyFound_;
};
