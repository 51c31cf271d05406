// Hostile clients against the real service over loopback: floods, oversized and malformed
// messages, many connections and stray datagrams. They come from 127.0.0.2, so that the
// per-address limits they run into leave the honest player on 127.0.0.1 alone; afterwards
// the server must still list and relay for that player.
#include "tests/server/ServerTestSupport.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A bare ENet client that sends whatever the test gives it.
class CRawClient {
public:
    explicit CRawClient(uint16_t serverPort) {
        ENetAddress local{};
        enet_address_set_host_ip(&local, "127.0.0.2");
        local.port = 0;
        m_host = enet_host_create(&local, 1, 1, 0, 0);
        ENetAddress server{};
        enet_address_set_host_ip(&server, "127.0.0.1");
        server.port = serverPort;
        if (m_host != nullptr) {
            m_peer = enet_host_connect(m_host, &server, 1, 0);
        }
    }
    ~CRawClient() {
        if (m_host != nullptr) {
            enet_host_destroy(m_host);
        }
    }
    CRawClient(const CRawClient&) = delete;
    CRawClient& operator=(const CRawClient&) = delete;

    void Service() {
        ENetEvent event;
        while (m_host != nullptr && enet_host_service(m_host, &event, 0) > 0) {
            if (event.type == ENET_EVENT_TYPE_CONNECT) {
                connected = true;
            } else if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
                closed = true;
            } else if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                got.emplace_back(event.packet->data, event.packet->data + event.packet->dataLength);
                enet_packet_destroy(event.packet);
            }
        }
    }
    void Send(const std::vector<uint8_t>& bytes) {
        ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
        if (enet_peer_send(m_peer, 0, packet) != 0) {
            enet_packet_destroy(packet);
        }
    }
    // What the server refused with last, or false.
    bool Refused(ELobbyRefusal& reason) const {
        const char* why = "";
        return !got.empty() && DecodeLobbyRefuse(got.back().data(), got.back().size(), reason, why);
    }

    bool connected = false;
    bool closed = false;
    std::vector<std::vector<uint8_t>> got;

private:
    ENetHost* m_host = nullptr;
    ENetPeer* m_peer = nullptr;
};

std::vector<uint8_t> Bytes(const NetPacket& packet) { return std::vector<uint8_t>(packet.bytes, packet.bytes + packet.size); }

class HostileClientTest : public ServerFixture {
protected:
    // The honest player still gets a list and a match relayed.
    void ExpectStillServing() {
        NetSessionOptions hostOptions;
        hostOptions.name = "Honest";
        CNetSession host(hostOptions);
        ASSERT_TRUE(host.Host(0));
        ASSERT_TRUE(host.Announce("127.0.0.1", service->Port()));
        ASSERT_TRUE(PumpUntil([&] { host.Service(); }, [&] { return host.ServerLink() != ENetServerLink::Connecting; }));
        ASSERT_EQ(host.ServerLink(), ENetServerLink::Listed);
        EXPECT_EQ(ListedPlayers(), std::vector<std::string>{"Honest"});
        NetSessionOptions joinerOptions;
        joinerOptions.name = "Joiner";
        CNetSession joiner(joinerOptions);
        ASSERT_TRUE(joiner.JoinRelay("127.0.0.1", service->Port(), host.ListingId()));
        ASSERT_TRUE(PumpUntil(
            [&] {
                host.Service();
                joiner.Service();
            },
            [&] {
                return host.State() == ENetSessionState::Playing && joiner.State() == ENetSessionState::Playing;
            }));
    }

    bool PumpClients(std::vector<std::unique_ptr<CRawClient>>& clients, const std::function<bool()>& done) {
        return PumpUntil(
            [&] {
                for (auto& client : clients) {
                    client->Service();
                }
            },
            done);
    }
};

}  // namespace

TEST_F(HostileClientTest, MalformedAndMisplacedMessagesAreRefusedOneByOne) {
    NetPacket packet;
    NetListing listing;
    listing.hostName = "box";
    listing.playerName = "Eve";
    listing.gameVersion = "1.0";
    EncodeAnnounce(listing, packet);
    std::vector<uint8_t> badName = Bytes(packet);
    badName[10] = 0x01;
    std::vector<uint8_t> cut = Bytes(packet);
    cut.resize(cut.size() / 2);
    NetHello hello{kNetProtocolVersion, "Eve"};
    EncodeHello(hello, packet);
    const std::vector<std::vector<uint8_t>> messages = {
        {}, {0x00}, {0xFF, 0xFF, 0xFF}, badName, cut, Bytes(packet), std::vector<uint8_t>(kMaxNetPacketSize, 0x40),
    };
    std::vector<std::unique_ptr<CRawClient>> clients;
    for (size_t i = 0; i < messages.size(); ++i) {
        clients.push_back(std::make_unique<CRawClient>(service->Port()));
    }
    ASSERT_TRUE(PumpClients(clients, [&] {
        return std::all_of(clients.begin(), clients.end(), [](const auto& c) { return c->connected; });
    }));
    for (size_t i = 0; i < messages.size(); ++i) {
        clients[i]->Send(messages[i]);
    }
    ASSERT_TRUE(PumpClients(clients, [&] {
        return std::all_of(clients.begin(), clients.end(), [](const auto& c) { return c->closed; });
    }));
    for (size_t i = 0; i < messages.size(); ++i) {
        ELobbyRefusal reason = ELobbyRefusal::Busy;
        EXPECT_TRUE(clients[i]->Refused(reason)) << i;
        EXPECT_EQ(reason, ELobbyRefusal::BadMessage) << i;
    }
    EXPECT_EQ(service->Lobby()->Counts().broken, messages.size());
    ExpectStillServing();
}

TEST_F(HostileClientTest, OversizedPacketsFloodsAndSilentPeersLeaveTheServerAnswering) {
    std::vector<std::unique_ptr<CRawClient>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<CRawClient>(service->Port()));
    }
    ASSERT_TRUE(PumpClients(clients, [&] { return clients[0]->connected && clients[1]->connected && clients[2]->connected; }));
    // Far larger than any message: ENet refuses to gather it.
    clients[0]->Send(std::vector<uint8_t>(256 * 1024, 0x42));
    // A flood of asks, far past the message rate.
    NetPacket ask;
    EncodeAskList(kNetProtocolVersion, ask);
    for (int i = 0; i < 500; ++i) {
        clients[1]->Send(Bytes(ask));
    }
    // clients[2] says nothing at all.
    ASSERT_TRUE(PumpClients(clients, [&] { return clients[1]->closed && clients[2]->closed; }));
    ELobbyRefusal reason = ELobbyRefusal::Busy;
    ASSERT_TRUE(clients[1]->Refused(reason));
    EXPECT_EQ(reason, ELobbyRefusal::TooMany);
    EXPECT_LE(clients[1]->got.size(), options.limits.messageBurst + 1u) << "answers stop at the burst";
    EXPECT_EQ(service->Lobby()->Counts().listings, 0u);
    ExpectStillServing();
}

TEST_F(HostileClientTest, ManyConnectionsFromOneAddressAreCappedAndStrayDatagramsIgnored) {
    service.reset();
    options.limits.maxPeersPerAddress = 8;
    options.limits.maxPeers = 64;
    service = std::make_unique<CLobbyService>(options);
    ASSERT_TRUE(service->Start());
    std::vector<std::unique_ptr<CRawClient>> clients;
    for (int i = 0; i < 40; ++i) {
        clients.push_back(std::make_unique<CRawClient>(service->Port()));
    }
    // Stray datagrams of every size at the server's port.
    const int sock = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(service->Port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::vector<uint8_t> junk(1400);
    for (size_t i = 0; i < 300; ++i) {
        for (size_t j = 0; j < junk.size(); ++j) {
            junk[j] = static_cast<uint8_t>(i * 31 + j * 7);
        }
        sendto(sock, junk.data(), 1 + i * 4 % junk.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    close(sock);
    size_t most = 0;
    for (int i = 0; i < 300; ++i) {
        service->Poll(0);
        for (auto& client : clients) {
            client->Service();
        }
        most = std::max(most, service->Lobby()->Counts().peers);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Eight at once, and one more that is being told it is one too many. (Once a refused
    // one has gone, ENet lets the next in, to be told the same.)
    EXPECT_LE(most, 9u);
    size_t refused = 0;
    for (const auto& client : clients) {
        ELobbyRefusal reason = ELobbyRefusal::Busy;
        if (client->Refused(reason)) {
            EXPECT_EQ(reason, ELobbyRefusal::TooMany);
            ++refused;
        }
    }
    EXPECT_GE(refused, 1u);
    ExpectStillServing();
    // The silent ones are closed in their greeting time; their slots come free.
    clients.clear();
    ASSERT_TRUE(PumpUntil([] {}, [&] { return service->Lobby()->Counts().peers == 0; }));
}
