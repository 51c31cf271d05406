#include "gui/NetPlay.h"

#include <memory>

namespace {
std::unique_ptr<CNetSession>& Session() {
    static std::unique_ptr<CNetSession> session;
    return session;
}
}  // namespace

CNetSession* NetPlaySession() {
    return Session().get();
}

CNetSession& OpenNetPlaySession(const NetSessionOptions& options) {
    CloseNetPlaySession();
    Session() = std::make_unique<CNetSession>(options);
    return *Session();
}

void CloseNetPlaySession() {
    if (Session() != nullptr) {
        Session()->Leave();
        Session().reset();
    }
}
