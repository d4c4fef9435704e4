// Allocation, validation and release of the stand-in's handles.
#include "Handles.h"

#include "Interrupts.h"
#include "Strictness.h"

namespace standin {

Handle* HandleRegistry::create(ub4 type, Handle* parent) {
    std::unique_ptr<Handle> handle;
    switch (type) {
    case OCI_HTYPE_ERROR:
        handle = std::make_unique<Handle>(OCI_HTYPE_ERROR);
        break;
    case OCI_HTYPE_SVCCTX:
        handle = std::make_unique<ServiceContextHandle>();
        break;
    case OCI_HTYPE_STMT:
        handle = std::make_unique<StatementHandle>();
        break;
    case OCI_HTYPE_BIND:
        handle = std::make_unique<BindHandle>();
        break;
    case OCI_HTYPE_DEFINE:
        handle = std::make_unique<DefineHandle>();
        break;
    case OCI_HTYPE_SERVER:
        handle = std::make_unique<ServerHandle>();
        break;
    case OCI_HTYPE_SESSION:
        handle = std::make_unique<SessionHandle>();
        break;
    default:
        return nullptr;
    }
    handle->parent = parent;
    handle->environment = parent->environment;
    return add(std::move(handle));
}

Handle* HandleRegistry::add(std::unique_ptr<Handle> handle) {
    Handle* raw = handle.get();
    freed_.erase(raw);
    handles_[raw] = std::move(handle);
    return raw;
}

Handle* HandleRegistry::find(const void* pointer, ub4 type) const {
    auto found = handles_.find(pointer);
    if (found == handles_.end() || found->second->type != type)
        return nullptr;
    return found->second.get();
}

void HandleRegistry::detachServer(ServerHandle* server, bool connectionLost) {
    for (auto& entry : handles_) {
        if (entry.second->type != OCI_HTYPE_SESSION)
            continue;
        auto* session = static_cast<SessionHandle*>(entry.second.get());
        if (session->server == server) {
            session->server = nullptr;
            session->transaction.clear();
            session->connectionLost = connectionLost;
        }
    }
    server->attached = false;
    server->connectionLost = connectionLost;
}

void HandleRegistry::forgetInStatement(Handle* handle) {
    auto* statement = static_cast<StatementHandle*>(handle->parent);
    if (handle->type == OCI_HTYPE_BIND) {
        auto found = statement->binds.find(static_cast<BindHandle*>(handle)->position);
        if (found != statement->binds.end() && found->second == handle)
            statement->binds.erase(found);
    } else {
        auto found = statement->defines.find(static_cast<DefineHandle*>(handle)->position);
        if (found != statement->defines.end() && found->second == handle)
            statement->defines.erase(found);
    }
}

void HandleRegistry::free(Handle* handle) {
    // A handle an OCIBreak of another thread is using stays while it is inside.
    int breaksInside = 0;
    if (handle->type == OCI_HTYPE_SERVER)
        breaksInside = static_cast<ServerHandle*>(handle)->breaksInside;
    if (handle->type == OCI_HTYPE_SVCCTX)
        breaksInside = static_cast<ServiceContextHandle*>(handle)->breaksInside;
    if (breaksInside > 0)
        endProcess("OCIHandleFree on a handle that OCIBreak is using on another thread");
    if (handle->type == OCI_HTYPE_SERVER &&
        static_cast<ServerHandle*>(handle)->holdsInterruptHandler)
        releaseInterruptHandler();
    std::vector<Handle*> children;
    for (auto& entry : handles_) {
        if (entry.second->parent == handle)
            children.push_back(entry.second.get());
    }
    for (Handle* child : children)
        free(child);
    if (handle->type == OCI_HTYPE_SERVER)
        detachServer(static_cast<ServerHandle*>(handle));
    if (handle->type == OCI_HTYPE_BIND || handle->type == OCI_HTYPE_DEFINE)
        forgetInStatement(handle);
    // Attribute values that named the freed handle are forgotten, so they cannot be used.
    for (auto& entry : handles_) {
        if (entry.second->type != OCI_HTYPE_SVCCTX)
            continue;
        auto* context = static_cast<ServiceContextHandle*>(entry.second.get());
        if (context->server == handle)
            context->server = nullptr;
        if (context->session == handle)
            context->session = nullptr;
    }
    handles_.erase(handle);
    freed_.insert(handle);
}

} // namespace standin
