#pragma once
// What the screens of a network match share: the host and join screens each open a session
// of their own and hand it to the match screen once the match plays, which owns it from then
// on. What the player chose on those screens stays for the run.
#include "net/NetAddresses.h"
#include "net/NetSession.h"

#include <memory>
#include <string>
#include <vector>

// Says goodbye to the opponent (if any) and destroys the session; null stays null.
void CloseNetSession(std::unique_ptr<CNetSession>& session);

// The name this player is known by in a match: the current player's, or "Player" when that
// one cannot travel.
std::string NetPlayName();
// Options with that name and the given settings; the host's seed from the clock.
NetSessionOptions NetPlayOptions(const NetMatchSettings& settings);
// The clock of the sessions opened from now on (empty: the steady clock); the tests' own.
void SetNetPlayClock(NetClock clock);

// The clock the sessions, the finder and the server list use (empty: the steady clock).
NetClock NetPlayClock();

// The pellora-server the screens use, as typed ("host" or "host:port"; empty: none): the
// one given with --server for this run, else the one chosen in the options.
std::string ConfiguredServer();
// --server's address for this run (empty: the options' one counts).
extern std::string g_netServerOverride;
// Where "Join a server" asks for matches on the local network: the broadcast addresses
// (empty: the one in PELLORA_DISCOVERY, which the tests set to 127.255.255.255, else this
// machine's interfaces') and the port (the game's own unless the tests say).
extern std::vector<std::string> g_netDiscoveryAddresses;
extern uint16_t g_netDiscoveryPort;

// The player's words for why a session ended; empty for this side's own leaving.
const char* NetEndReasonText(ENetEndReason reason);
// The player's words for why a typed address cannot be used.
const char* NetAddressFaultText(ENetAddressFault fault);

// What the player last chose, kept for the run: the host's port and match, the joiner's
// typed address.
extern uint16_t g_netHostPort;
extern NetMatchSettings g_netHostSettings;
extern std::string g_netJoinAddress;

// A typed character into an address being typed: Backspace (8) takes the last one back,
// a printable character is added while the address is shorter than maxLength. False when
// the code changed nothing.
bool TypeAddressCharacter(std::string& address, int32_t code, size_t maxLength);
