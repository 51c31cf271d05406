#include "server/ServerService.h"

#include "server/ServerLog.h"

#include <algorithm>

int RunServices(const std::vector<IServerService*>& services, const std::atomic<bool>& stop, uint32_t pollMs) {
    for (size_t i = 0; i < services.size(); ++i) {
        if (!services[i]->Start()) {
            ServerLog("the %s service could not start; stopping", services[i]->Name());
            for (size_t j = 0; j < i; ++j) {
                services[j]->Stop();
            }
            return 1;
        }
        ServerLog("the %s service started", services[i]->Name());
    }
    // Each service waits its share of the loop's time for its own work.
    const uint32_t share = std::max<uint32_t>(1, pollMs / static_cast<uint32_t>(std::max<size_t>(1, services.size())));
    while (!stop.load()) {
        for (IServerService* service : services) {
            service->Poll(share);
        }
    }
    for (IServerService* service : services) {
        service->Stop();
        ServerLog("the %s service stopped", service->Name());
    }
    return 0;
}
