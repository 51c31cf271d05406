#pragma once
// One service of pellora-server. The program starts each service it is configured for, then
// polls them in turn until it is told to stop: the lobby and relay over ENet
// (server/LobbyService.h) today; a service that serves on threads of its own (an HTTP front,
// say) starts them in Start(), does nothing in Poll() and joins them in Stop().
#include <atomic>
#include <cstdint>
#include <vector>

class IServerService {
public:
    virtual ~IServerService() = default;
    // For the log.
    virtual const char* Name() const = 0;
    // Opens what the service serves on; false (logged) when it cannot.
    virtual bool Start() = 0;
    // Does the work that is waiting, waiting at most waitMs for some to arrive.
    virtual void Poll(uint32_t waitMs) = 0;
    // Closes everything; the service may be started again.
    virtual void Stop() = 0;
};

// Starts every service (none runs when one cannot start), polls them until stop holds and
// stops them. The loop wakes at least every pollMs, so a stop is noticed in that time.
// Returns 0, or 1 when a service could not start.
int RunServices(const std::vector<IServerService*>& services, const std::atomic<bool>& stop, uint32_t pollMs = 100);
