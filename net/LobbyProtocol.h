#pragma once
// What a Pellora program and pellora-server say to each other, and the datagram that finds
// matches on the local network. The server's messages travel over ENet like a match's, one
// message per packet, the kind in the first byte; their kinds (0x40 and up) never meet a
// match's (1 to 8), so a relayed link carries both and each side tells them apart by the
// first byte. Every decoder checks the size exactly, every range and every text, and
// refuses with a reason; nothing a peer sends can make it read past the packet or allocate
// more than the few short texts a listing holds.
#include "net/NetProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string>

constexpr uint32_t kLobbyMagic = 0x424C4C50;         // "PLLB"
constexpr uint32_t kDiscoveryMagic = 0x444C4C50;     // "PLLD"
constexpr size_t kMaxHostNameLength = 32;            // a listing's machine name, cut to this
constexpr size_t kMaxGameVersionLength = 15;         // "1.0"
constexpr size_t kMaxListEntries = 12;               // the matches one list message holds

enum class ELobbyKind : uint8_t {
    Announce = 0x40,   // host to server: list my match
    Announced,         // server to host: listed, with its id
    AskList,           // joiner to server: the open matches of my version, please
    List,              // server to joiner: the newest open matches
    JoinRelay,         // joiner to server: pair me with that listing's host and relay us
    Paired,            // server to joiner: paired; from now on the link is the match's
    Refuse,            // server to either: refused, and why
};

enum class ELobbyRefusal : uint8_t {
    VersionMismatch = 1,   // the server or the listing speaks another protocol version
    NotFound,              // no open match has that id (it ended, or another player took it)
    Busy,                  // the host has its opponent already
    Full,                  // the server holds all the matches or peers it may
    TooMany,               // this address has too many matches, connections or messages
    BadMessage,            // the message was broken or out of place
};
const char* LobbyRefusalName(ELobbyRefusal reason);

// What a host says about its match: all the server or a finder keeps of it.
struct NetListing {
    std::string hostName;      // the machine's name, 1..32 printable ASCII letters
    std::string playerName;    // as IsValidNetName
    std::string gameVersion;   // the program's version, 1..15 printable ASCII letters
    uint16_t version = kNetProtocolVersion;   // the match protocol it speaks
    uint16_t port = kDefaultNetPort;          // where it listens for a direct joiner
    NetMatchSettings settings;

    bool operator==(const NetListing&) const = default;
};

// A match as the server lists it: its id and the host's address as the server saw it.
struct NetListedMatch {
    uint32_t id = 0;
    uint8_t address[4] = {};   // IPv4, most significant first
    NetListing listing;
};

struct NetMatchList {
    uint16_t total = 0;        // the open matches of this version on the server
    uint32_t count = 0;        // those in entries, newest first
    NetListedMatch entries[kMaxListEntries];
};

// Whether a text may travel as a host name or a game version: 1..limit letters from
// space to '~'.
bool IsValidListingText(const std::string& text, size_t limit);
bool IsValidListing(const NetListing& listing);
// A machine name made fit to travel: cut to kMaxHostNameLength, other letters made '?';
// "?" for an empty one.
std::string ListingHostName(const char* name);

bool IsLobbyKind(uint8_t kind);
// This program's version as a listing carries it ("1.0").
const char* PelloraGameVersion();

// The encoders return false only for a message that breaks its own ranges (a caller's bug).
bool EncodeAnnounce(const NetListing& listing, NetPacket& packet);
bool EncodeAnnounced(uint32_t id, NetPacket& packet);
bool EncodeAskList(uint16_t version, NetPacket& packet);
bool EncodeMatchList(const NetMatchList& list, NetPacket& packet);
bool EncodeJoinRelay(uint16_t version, uint32_t id, NetPacket& packet);
bool EncodePaired(NetPacket& packet);
bool EncodeLobbyRefuse(ELobbyRefusal reason, NetPacket& packet);

// Each decoder takes the whole packet (kind byte included); why names the first fault.
// A message of another protocol version decodes (its version is given) as far as the
// version: the receiver answers with a refusal rather than a broken-message one.
bool DecodeAnnounce(const uint8_t* data, size_t size, NetListing& listing, const char*& why);
bool DecodeAnnounced(const uint8_t* data, size_t size, uint32_t& id, const char*& why);
bool DecodeAskList(const uint8_t* data, size_t size, uint16_t& version, const char*& why);
bool DecodeMatchList(const uint8_t* data, size_t size, NetMatchList& list, const char*& why);
bool DecodeJoinRelay(const uint8_t* data, size_t size, uint16_t& version, uint32_t& id, const char*& why);
bool DecodePaired(const uint8_t* data, size_t size, const char*& why);
bool DecodeLobbyRefuse(const uint8_t* data, size_t size, ELobbyRefusal& reason, const char*& why);
// The protocol version the first bytes of an Announce, AskList or JoinRelay carry.
bool PeekLobbyVersion(const uint8_t* data, size_t size, uint16_t& version, const char*& why);

// The local network's datagrams, sent outside ENet's connections to a host's port: a finder
// asks (to the broadcast address) and each host answers with its listing.
constexpr size_t kDiscoveryAskSize = 4 + 1 + 2;
bool EncodeDiscoveryAsk(uint16_t version, NetPacket& packet);
bool EncodeDiscoveryAnswer(const NetListing& listing, NetPacket& packet);
// Whether a datagram starts as ours at all (the magic): what a host's port hands on to ENet
// is everything else.
bool IsDiscoveryDatagram(const uint8_t* data, size_t size);
bool DecodeDiscoveryAsk(const uint8_t* data, size_t size, uint16_t& version, const char*& why);
bool DecodeDiscoveryAnswer(const uint8_t* data, size_t size, NetListing& listing, const char*& why);
