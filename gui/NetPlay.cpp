#include "gui/NetPlay.h"

#include "core/Log.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "profile/ServerSetting.h"

#include <chrono>
#include <memory>
#include <new>

namespace {
NetClock s_clock;

NetMatchSettings DefaultHostSettings() {
    NetMatchSettings settings;
    settings.roundsToWin = 2;
    settings.maxRounds = 5;
    settings.roundSeconds = 120;
    return settings;
}
}  // namespace

uint16_t g_netHostPort = kDefaultNetPort;
NetMatchSettings g_netHostSettings = DefaultHostSettings();
std::string g_netJoinAddress;
std::string g_netServerOverride;
std::vector<std::string> g_netDiscoveryAddresses;
uint16_t g_netDiscoveryPort = kDefaultNetPort;

NetClock NetPlayClock() { return s_clock; }

std::string ConfiguredServer() { return g_netServerOverride.empty() ? LoadServerSetting() : g_netServerOverride; }

void CloseNetSession(std::unique_ptr<CNetSession>& session) {
    if (session == nullptr) {
        return;
    }
    const ENetSessionState state = session->State();
    if (state != ENetSessionState::Idle && state != ENetSessionState::Ended) {
        session->Leave();
    }
    session.reset();
}

std::string NetPlayName() {
    const char* name = CurrentPlayerName();
    if (name != nullptr && IsValidNetName(name)) {
        return name;
    }
    CLog::Get().Write("NetPlayName: the player's name cannot travel, \"Player\" instead");
    return "Player";
}

NetSessionOptions NetPlayOptions(const NetMatchSettings& settings) {
    NetSessionOptions options;
    options.name = NetPlayName();
    options.settings = settings;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    // Any seed but 0 will do; the joiner is told the host's.
    options.seed = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) | 1u;
    options.clock = s_clock;
    return options;
}

void SetNetPlayClock(NetClock clock) { s_clock = std::move(clock); }

const char* NetEndReasonText(ENetEndReason reason) {
    const CLanguage& texts = CLanguage::Get();
    switch (reason) {
        case ENetEndReason::None:
        case ENetEndReason::Left: return "";
        case ENetEndReason::OpponentLeft: return texts.TxtNetOpponentLeft();
        case ENetEndReason::OpponentSilent: return texts.TxtNetOpponentSilent();
        case ENetEndReason::VersionMismatch: return texts.TxtNetOtherVersion();
        case ENetEndReason::HostBusy: return texts.TxtNetHostBusy();
        case ENetEndReason::HandshakeRefused: return texts.TxtNetRefused();
        case ENetEndReason::ProtocolError: return texts.TxtNetConnectionBroken();
        case ENetEndReason::CouldNotListen: return texts.TxtNetCouldNotListen();
        case ENetEndReason::BadAddress: return texts.TxtNetBadAddress();
        case ENetEndReason::CouldNotConnect: return texts.TxtNetNoAnswer();
        case ENetEndReason::MatchGone: return texts.TxtNetMatchGone();
        case ENetEndReason::ServerFull: return texts.TxtNetServerFull();
    }
    return texts.TxtNetConnectionBroken();
}

const char* NetAddressFaultText(ENetAddressFault fault) {
    const CLanguage& texts = CLanguage::Get();
    switch (fault) {
        case ENetAddressFault::None: return "";
        case ENetAddressFault::Empty: return texts.TxtNetAddressNeeded();
        case ENetAddressFault::IPv6: return texts.TxtNetNoIPv6();
        case ENetAddressFault::BadPort: return texts.TxtNetBadPort();
        case ENetAddressFault::BadAddress: return texts.TxtNetBadAddress();
        case ENetAddressFault::NotFound: return texts.TxtNetNameNotFound();
    }
    return texts.TxtNetBadAddress();
}

bool TypeAddressCharacter(std::string& address, int32_t code, size_t maxLength) {
    if (code == 8) {
        if (!address.empty()) {
            address.pop_back();
        }
        return true;
    }
    // Whatever else is typed goes in as it is; the screen says what is wrong with it.
    if (code > ' ' && code < 127 && address.size() < maxLength) {
        address.push_back(static_cast<char>(code));
        return true;
    }
    return false;
}
