// Which Oracle errors say that a session is gone, and what a commit that failed with one of
// them did.
#pragma once

namespace oci {

// What a failed call says of the session it was made in.
enum class SessionLoss {
    None,           // nothing: the session may still be used
    OutcomeUnknown, // it went while the call was on its way: the server may or may not have
                    // done the call (a commit among them)
    NothingDone,    // the call found it gone already: the server did none of the call, and
                    // rolls back what the session left uncommitted
};

// The loss `oracleError` reports; None for an error that leaves the session usable (the
// server's state, OCI_ATTR_SERVER_STATUS, may still say otherwise).
SessionLoss sessionLossOf(int oracleError);

} // namespace oci
