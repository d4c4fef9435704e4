// What the stand-in's server does: statement executions, commit and rollback.
#pragma once

#include "Handles.h"

#include <optional>

namespace standin {

// How a call ends: its OCI status and, unless it succeeded plainly, the record it leaves on
// the error handle.
struct CallResult {
    sword status = OCI_SUCCESS;
    std::optional<ErrorRecord> record;
    // The call did nothing and must wait for a break before it fails (a `block` rule).
    bool blocked = false;
    // The connection goes with the failure whatever its error (a `gone` rule).
    bool connectionGone = false;

    static CallResult success() { return CallResult{}; }
    static CallResult failure(ErrorRecord record) { return CallResult{OCI_ERROR, record}; }
    static CallResult failure(int code) { return failure(oracleError(code)); }
    static CallResult blockedCall() { return CallResult{OCI_ERROR, std::nullopt, true}; }
};

// The failure a rule names: its error (with the application's text, if any), and with it the
// connection when the rule says so.
CallResult ruleFailure(const FailureRule& rule);

// Runs a prepared statement for `iterations` rows from `rowOffset` in the session.
CallResult executeStatement(SessionHandle& session, StatementHandle& statement, ub4 iterations,
                            ub4 rowOffset);

// Writes the session's uncommitted rows to the table files; counts as a commit for the
// fault-injection rules when `counted` (OCITransCommit, not the implicit commits).
CallResult commitTransaction(SessionHandle& session, bool counted);
// Drops the session's uncommitted rows.
CallResult rollbackTransaction(SessionHandle& session);

} // namespace standin
