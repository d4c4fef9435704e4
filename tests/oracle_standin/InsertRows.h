// What the stand-in's server does with an INSERT: the binds matched to the table's columns,
// every row's values checked and converted as Oracle would, and the rows kept for the commit.
#pragma once

#include "Execution.h"
#include "SqlStatement.h"

namespace standin {

// Inserts rows rowOffset to iterations - 1 of the bound arrays into the table the statement
// names, in the session's open transaction. The first value Oracle would refuse ends the call
// with its error, the rows before it staying in the transaction. `rule` is the insert rule of
// the fault injection that this execution matched, if any.
CallResult insertRows(SessionHandle& session, StatementHandle& statement, const SqlStatement& sql,
                      ub4 iterations, ub4 rowOffset, const std::optional<FailureRule>& rule);

} // namespace standin
