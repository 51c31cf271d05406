#pragma once
// The lobby and the relay served over ENet on one UDP port: CLobby decides, this service
// carries its answers and passes relayed packets on as they came (the same ENet packet,
// never copied or read past its first byte).
#include "server/Lobby.h"
#include "server/ServerService.h"

#include <memory>
#include <string>
#include <vector>

struct _ENetHost;

struct LobbyServiceOptions {
    std::string bind;                 // a numeric IPv4 address; empty: all of them
    uint16_t port = kDefaultNetPort;  // 0: any free port (see Port())
    LobbyLimits limits;
};

class CLobbyService final : public IServerService, private ILobbyLink {
public:
    explicit CLobbyService(const LobbyServiceOptions& options);
    ~CLobbyService() override;
    CLobbyService(const CLobbyService&) = delete;
    CLobbyService& operator=(const CLobbyService&) = delete;

    const char* Name() const override { return "lobby and relay"; }
    bool Start() override;
    void Poll(uint32_t waitMs) override;
    void Stop() override;

    uint16_t Port() const;
    // Null until started.
    const CLobby* Lobby() const { return m_lobby.get(); }
    // UDP payload bytes the service sent and received since it started.
    uint64_t BytesSent() const { return m_bytesSent; }
    uint64_t BytesReceived() const { return m_bytesReceived; }

    static constexpr size_t kMaxEventsPerPoll = 8192;   // then the timers and the sends get their turn
    static constexpr uint64_t kTickMs = 100;

private:
    void Send(uint32_t peer, const uint8_t* data, size_t size) override;
    void Close(uint32_t peer, bool now) override;
    size_t Backlog(uint32_t peer) const override;
    // Hands a packet to ENet for the peer, its bytes counted in the peer's backlog until
    // ENet lets go of it.
    void Queue(uint32_t peer, struct _ENetPacket* packet);
    void CountTraffic();

    LobbyServiceOptions m_options;
    _ENetHost* m_host = nullptr;
    std::unique_ptr<CLobby> m_lobby;
    std::vector<size_t> m_backlog;     // per peer slot
    uint64_t m_lastTickMs = 0;
    uint64_t m_lastReportMs = 0;
    uint64_t m_bytesSent = 0;
    uint64_t m_bytesReceived = 0;
};
