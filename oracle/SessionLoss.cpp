// The errors of a dead session, as Oracle's own driver layer (ODPI-C, src/dpiError.c,
// dpiError__setFromOCI) lists them, split by what they tell of the call that got them.
#include "oracle/SessionLoss.h"

#include <algorithm>
#include <iterator>

namespace oci {

namespace {

// The link or the server process went while the call was on its way: a commit's reply may
// be what was lost, so whether it was done is unknown. The start-up, attach and pooling
// errors (378, 609, 27146, 56600) come before any work of ours, so nothing is claimed of
// them either.
constexpr int kGoneDuringTheCall[] = {
    28,    // session killed
    31,    // session marked for kill
    45,    // session terminated with no replay
    378,   // buffer pools cannot be created
    600,   // internal error
    602,   // internal programming exception
    603,   // session terminated by a fatal error
    609,   // could not attach to incoming connection
    1041,  // internal error: hostdef extension does not exist
    1043,  // user side memory corruption
    1089,  // immediate shutdown in progress
    1092,  // instance terminated
    3113,  // end-of-file on communication channel
    3122,  // attempt to close the Oracle-side window on the user side
    3135,  // connection lost contact
    12537, // TNS: connection closed
    12547, // TNS: lost contact
    12570, // TNS: packet reader failure
    12583, // TNS: no reader
    27146, // post/wait initialisation failed
    28511, // lost RPC connection
    56600, // DRCP: illegal call
};

// The call found no session to work in: the server never saw it.
constexpr int kGoneBeforeTheCall[] = {
    22,    // invalid session ID
    1012,  // not logged on
    2396,  // exceeded maximum idle time
    3114,  // not connected to ORACLE
    12153, // TNS: not connected
};

template <std::size_t N> bool listed(const int (&codes)[N], int code) {
    return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
}

} // namespace

SessionLoss sessionLossOf(int oracleError) {
    if (listed(kGoneBeforeTheCall, oracleError))
        return SessionLoss::NothingDone;
    if (listed(kGoneDuringTheCall, oracleError))
        return SessionLoss::OutcomeUnknown;
    return SessionLoss::None;
}

} // namespace oci
