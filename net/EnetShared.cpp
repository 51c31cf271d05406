#include "net/EnetShared.h"

#include "core/Log.h"
#include "net/LobbyProtocol.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct Interceptor {
    ENetHost* host = nullptr;
    DatagramHandler handler;
};

// Few hosts at a time (a hosting session, a finder); the tests run several in one process.
std::mutex s_mutex;
std::vector<Interceptor> s_interceptors;

int Intercept(ENetHost* host, ENetEvent*) {
    if (!IsDiscoveryDatagram(host->receivedData, host->receivedDataLength)) {
        return 0;
    }
    DatagramHandler handler;
    {
        const std::lock_guard<std::mutex> lock(s_mutex);
        const auto found = std::find_if(s_interceptors.begin(), s_interceptors.end(),
                                        [host](const Interceptor& entry) { return entry.host == host; });
        if (found != s_interceptors.end()) {
            handler = found->handler;
        }
    }
    if (handler) {
        handler(host->receivedAddress, host->receivedData, host->receivedDataLength);
    }
    // Ours whether anyone listens or not: ENet would only take it for a broken command.
    return 1;
}

std::mutex s_libraryMutex;
int s_users = 0;

}  // namespace

bool AcquireEnet() {
    const std::lock_guard<std::mutex> lock(s_libraryMutex);
    if (s_users == 0 && enet_initialize() != 0) {
        CLog::Get().Write("AcquireEnet FAILED, enet_initialize");
        return false;
    }
    ++s_users;
    return true;
}

void ReleaseEnet() {
    const std::lock_guard<std::mutex> lock(s_libraryMutex);
    if (s_users > 0 && --s_users == 0) {
        enet_deinitialize();
    }
}

void SetDatagramHandler(ENetHost* host, DatagramHandler handler) {
    const std::lock_guard<std::mutex> lock(s_mutex);
    s_interceptors.erase(std::remove_if(s_interceptors.begin(), s_interceptors.end(),
                                        [host](const Interceptor& entry) { return entry.host == host; }),
                         s_interceptors.end());
    if (handler) {
        s_interceptors.push_back(Interceptor{host, std::move(handler)});
        host->intercept = &Intercept;
    } else {
        host->intercept = nullptr;
    }
}

bool SendDatagram(ENetHost* host, const ENetAddress& to, const uint8_t* data, size_t size) {
    ENetBuffer buffer;
    buffer.data = const_cast<uint8_t*>(data);
    buffer.dataLength = size;
    return enet_socket_send(host->socket, &to, &buffer, 1) == static_cast<int>(size);
}
