#pragma once
// The addresses of a network match as players see them: this machine's own, shown by the
// host, and the one a joiner types ("192.168.1.20", "anna-pc", "anna-pc:27961"). A name is
// looked up on a worker thread of its own, so the frame loop never waits for a name server.
// The ENet we build on speaks IPv4 only: an IPv6 address is refused with that reason.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// This machine's IPv4 addresses in dotted form: the others first, 127.0.0.1 (the loopback
// ones) last. Empty when the machine's interfaces cannot be read (logged).
void ListOwnAddresses(std::vector<std::string>& out);

// Why a typed address cannot be used.
enum class ENetAddressFault {
    None,
    Empty,        // nothing typed
    IPv6,         // an IPv6 address: not spoken here
    BadPort,      // ":port" is not a number from 1 to 65535
    BadAddress,   // neither a dotted IPv4 address nor a host name
    NotFound,     // the name server knows no IPv4 address of that name
};
const char* NetAddressFaultName(ENetAddressFault fault);

// A typed address split into its host and port.
struct NetAddressText {
    std::string host;     // a dotted IPv4 address or a host name
    uint16_t port = 0;
    bool numeric = false; // host is a dotted IPv4 address already
};
// Splits "host" or "host:port" (spaces around it dropped); the port is defaultPort when
// none is given. False with the fault for anything that is no IPv4 address or host name.
bool ParseNetAddress(const std::string& text, uint16_t defaultPort, NetAddressText& out, ENetAddressFault& fault);

// How a host name becomes a dotted IPv4 address (empty when it has none). The program
// asks the system's resolver; the tests put in one of their own, so that no test asks a
// name server beyond this machine. Null puts the system's back.
using NetNameResolver = std::string (*)(const std::string& host);
void SetNetNameResolver(NetNameResolver resolver);

enum class ENetLookupState {
    Idle,      // nothing asked yet
    Pending,   // the worker thread is asking the name server
    Found,     // Address() and Port() hold the answer
    Failed,    // Fault() says why
};

// Turns a typed address into a numeric IPv4 address and a port. A dotted address (or a
// refused one) is answered at once; a name goes to a detached worker thread that shares
// only its result with this object, so destroying the lookup or starting another while a
// name server is slow neither waits nor leaves the thread anything freed.
class CNetLookup {
public:
    CNetLookup() = default;
    CNetLookup(const CNetLookup&) = delete;
    CNetLookup& operator=(const CNetLookup&) = delete;

    // Starts on "host" or "host:port"; false only if no thread could be started (then Failed).
    bool Start(const std::string& text, uint16_t defaultPort);
    // Where the lookup stands; never waits.
    ENetLookupState Poll();
    // Forgets the lookup; a running thread finishes on its own and its answer is dropped.
    void Cancel();

    const std::string& Address() const { return m_address; }
    uint16_t Port() const { return m_port; }
    ENetAddressFault Fault() const { return m_fault; }
    // The host part as typed, for the log and the player.
    const std::string& Host() const { return m_host; }

private:
    struct Shared;
    void Finish(ENetLookupState state, const std::string& address, ENetAddressFault fault);

    std::shared_ptr<Shared> m_shared;
    ENetLookupState m_state = ENetLookupState::Idle;
    std::string m_host;
    std::string m_address;
    uint16_t m_port = 0;
    ENetAddressFault m_fault = ENetAddressFault::None;
};
