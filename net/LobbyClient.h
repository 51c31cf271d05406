#pragma once
// A joiner's view of a pellora-server's lobby: connects to the server, asks for the open
// matches of this version and asks again every few seconds while it is kept, so that the
// list a player reads stays fresh. Never waits: Service() runs once a frame. Picking a match
// is a CNetSession::JoinRelay of its id.
#include "net/LobbyProtocol.h"
#include "net/NetSession.h"

#include <string>

struct _ENetHost;
struct _ENetPeer;

enum class ELobbyClientState {
    Idle,
    Connecting,   // waiting for the server's answer
    Listed,       // List() holds the server's latest answer
    Failed,       // Fault() says why; nothing more is tried
};

enum class ELobbyClientFault {
    None,
    BadAddress,   // not a numeric IPv4 address
    NoAnswer,     // the server did not answer in time
    Refused,      // the server refused (Refusal() says why)
    Lost,         // the server went away or fell silent
    Broken,       // the server sent something broken
};
const char* LobbyClientFaultName(ELobbyClientFault fault);

class CLobbyClient {
public:
    static constexpr uint64_t kRefreshMs = 3000;   // the list is asked for again this often

    explicit CLobbyClient(NetClock clock = NetClock());
    ~CLobbyClient();
    CLobbyClient(const CLobbyClient&) = delete;
    CLobbyClient& operator=(const CLobbyClient&) = delete;

    bool Start(const std::string& address, uint16_t port);
    void Service();
    void Stop();

    ELobbyClientState State() const { return m_state; }
    ELobbyClientFault Fault() const { return m_fault; }
    ELobbyRefusal Refusal() const { return m_refusal; }
    const NetMatchList& List() const { return m_list; }
    uint32_t ListsReceived() const { return m_lists; }

private:
    uint64_t Now() const;
    void Fail(ELobbyClientFault fault, const char* why);
    void Receive(const uint8_t* data, size_t size);
    void AskList();

    NetClock m_clock;
    _ENetHost* m_host = nullptr;
    _ENetPeer* m_server = nullptr;
    ELobbyClientState m_state = ELobbyClientState::Idle;
    ELobbyClientFault m_fault = ELobbyClientFault::None;
    ELobbyRefusal m_refusal = ELobbyRefusal::BadMessage;
    uint64_t m_startMs = 0;
    uint64_t m_lastAskMs = 0;
    uint64_t m_lastHeardMs = 0;
    uint32_t m_lists = 0;
    NetMatchList m_list;
    NetPacket m_packet;
};
