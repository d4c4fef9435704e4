// The fault-injection rules of ORACLE_STANDIN_FAIL and the per-connection call counters.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// The calls a rule can aim at.
enum class FailurePoint {
    Attach,
    Logon,
    Execute,
    Select,
    Create,
    Insert,
    Commit,
    Rollback,
    Drop,
    Rename,
    Environment, // every OCIEnvNlsCreate and OCIEnvInit, as each reads the rules anew
    Prepare,     // OCIStmtPrepare and OCIStmtPrepare2
    Break,       // OCIBreak
};
constexpr int kFailurePointCount = 13;

// The error of a call that was blocked until OCIBreak ended it.
constexpr int kUserCancel = 1013;

struct FailureRule {
    FailurePoint point = FailurePoint::Attach;
    long occurrence = 1; // the n-th call of its kind, from 1
    long row = 0;        // inserts only: the row that fails
    int code = 0;        // Oracle error number
    bool blocks = false; // the call waits for OCIBreak, then fails with kUserCancel
    bool after = false;  // the call does its work first, then fails with `code`
    bool gone = false;   // the connection goes with the failure, whatever `code` is
    bool lost = false;   // a break: it never reaches the server
    std::string text;    // the message of an error the application names (ORA-20000 to 20999)
};

// The rules of one connection and the counts of its calls so far.
class FailureRules {
  public:
    // Parses "rule;rule;..." (see README.md); unparsable rules are ignored.
    static FailureRules parse(const std::string& text);
    // The rules named by ORACLE_STANDIN_FAIL now.
    static FailureRules fromEnvironment();

    bool discardRows() const { return discard_ || unchecked_; }
    // Rows are taken without a look at their values: a benchmark of the client alone.
    bool acceptRowsUnchecked() const { return unchecked_; }
    // How long every execute and commit waits before its work ("delay=Nms"), standing for a
    // network round trip; other sessions' calls run meanwhile.
    std::chrono::milliseconds callDelay() const { return delay_; }

    // Counts one call at `point` and returns the first rule that aims at it, if any.
    std::optional<FailureRule> count(FailurePoint point);

  private:
    std::vector<FailureRule> rules_;
    long counts_[kFailurePointCount] = {};
    bool discard_ = false;
    bool unchecked_ = false;
    std::chrono::milliseconds delay_{0};
};

} // namespace standin
