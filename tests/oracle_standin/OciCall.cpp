// The library's state and the checks every entry point shares.
#include "OciCall.h"

namespace standin {

Library& library() {
    static Library instance;
    return instance;
}

sword finish(Handle& errorHandle, const CallResult& result) {
    if (result.record)
        errorHandle.record = result.record;
    return result.status;
}

sword fail(Handle& errorHandle, int code) {
    return finish(errorHandle, CallResult::failure(code));
}

CallResult activeSession(Call& call, const ServiceContextHandle& context, SessionHandle** session) {
    auto* server = call.find<ServerHandle>(context.server, OCI_HTYPE_SERVER);
    if (server != nullptr && server->connectionLost)
        return CallResult::failure(3114);
    if (server == nullptr || !server->attached)
        return CallResult::failure(24324);
    *session = call.find<SessionHandle>(context.session, OCI_HTYPE_SESSION);
    if (*session == nullptr || (*session)->server == nullptr)
        return CallResult::failure(1012);
    return CallResult::success();
}

void dropSessionIfConnectionLost(Call& call, SessionHandle& session, const CallResult& result) {
    if (result.status == OCI_ERROR && result.record &&
        (isLostConnection(result.record->code) || result.connectionGone) &&
        session.server != nullptr)
        call.handles().detachServer(session.server, true);
}

std::string textOf(const void* bytes, size_t length) {
    return bytes != nullptr ? std::string(static_cast<const char*>(bytes), length) : std::string();
}

} // namespace standin
