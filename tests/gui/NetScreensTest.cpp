// The screens that start a network match, driven as the frame loop drives them, against a
// real session of the test's own over 127.0.0.1: hosting until a player joins, joining a
// host by its typed address, and the player's words for every way that can fail. Every
// wait pumps both sides with a generous bound; the connect timeout runs on the test's
// own clock.
#include "GuiFixtures.h"

#include "core/Log.h"
#include "engine/Engine.h"
#include "engine/StateManager.h"
#include "gui/GuiMenu.h"
#include "gui/GuiNetGame.h"
#include "gui/GuiVersus.h"
#include "gui/NetPlay.h"
#include "gui/ScreenFlow.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "server/LobbyService.h"
#include "server/ServerLog.h"
#include "tests/support/SoftwareScreen.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kMaxPumps = 5000;   // with 1 ms between them: far beyond what loopback needs

CEngineState* CreateNetScreens(int32_t stateId) {
    switch (stateId) {
        case kStateHostGame: return new CGuiHostGame();
        case kStateJoinGame: return new CGuiJoinGame();
        case kStateHostJoinMenu: return new CGuiNetMenu(kStateHostJoinMenu);
        default: return nullptr;
    }
}

// The names the join screen may look up, answered here, so that no test asks a name server.
std::string TestNames(const std::string& host) {
    return host == "localhost" ? "127.0.0.1" : "";
}

class NetScreensTest : public CScreenTest {
public:
    void SetUp() override {
        CScreenTest::SetUp();
        SetNetNameResolver(&TestNames);
        CLanguage::Get().SetLanguage(kLanguageEnglish);
        ASSERT_NE(CreatePlayer("Ann"), nullptr);
        SetStateFactory(&CreateNetScreens);
        g_netHostPort = 0;   // any free port, so that parallel runs never meet
        g_netJoinAddress.clear();
        SetNetPlayClock([this] { return m_clockMs; });
    }
    void TearDown() override {
        SetNetNameResolver(nullptr);
        CStateManager::Upper().SetState(kStateNone, true);
        CStateManager::Lower().SetState(kStateNone, true);
        // A match handed its session but never started closes it as it goes.
        CStateManager::Lower().RequestState(kStateNone);
        SetNetPlayClock(nullptr);
        SetStateFactory(nullptr);
        CStateManager::Upper().RequestState(kStateNone);
        CStateManager::Lower().RequestState(kStateNone);
        m_other.reset();
        m_third.reset();
        CScreenTest::TearDown();
    }

    template <typename Screen>
    static Screen& Open(int32_t stateId) {
        EXPECT_TRUE(CStateManager::Upper().SetState(stateId, true));
        return *static_cast<Screen*>(CStateManager::Upper().GetState(0));
    }
    // One step of the screens, then the test's own sessions.
    void Pump() {
        Step([] { CStateManager::Upper().Update(kStep); });
        for (CNetSession* session : {m_other.get(), m_third.get()}) {
            if (session != nullptr) {
                session->Service();
            }
        }
    }
    // Pumps until done() holds; false if it never did.
    bool PumpUntil(const std::function<bool()>& done) {
        for (int i = 0; i < kMaxPumps; ++i) {
            Pump();
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    // A session of the test's own, on the same clock as the screens'.
    std::unique_ptr<CNetSession> MakeSession(const char* name, uint16_t version = kNetProtocolVersion) {
        NetSessionOptions options;
        options.name = name;
        options.version = version;
        options.clock = [this] { return m_clockMs; };
        return std::make_unique<CNetSession>(options);
    }
    static void Type(CGuiState& screen, const std::string& text) {
        for (const char c : text) {
            screen.OnChar(static_cast<uint8_t>(c));
        }
    }
    static int32_t PendingUpper() { return CStateManager::Upper().GetPendingId(); }
    static int32_t PendingLower() { return CStateManager::Lower().GetPendingId(); }
    // The match screen a host or join screen built and pushed, before it starts.
    static const CGuiVersus* PendingMatch() {
        return dynamic_cast<const CGuiVersus*>(CStateManager::Lower().GetPendingState());
    }
    static bool IsPlaying(const CNetSession* session) {
        return session != nullptr && session->State() == ENetSessionState::Playing;
    }
    static const CTextTable& texts() { return CLanguage::Get(); }

    uint64_t m_clockMs = 1000;
    std::unique_ptr<CNetSession> m_other;
    std::unique_ptr<CNetSession> m_third;
};

TEST_F(NetScreensTest, TheHostListensAndAJoiningPlayerStartsTheMatchWithTheChosenSettings) {
    g_netHostSettings.roundSeconds = 120;
    g_netHostSettings.roundsToWin = 2;
    CGuiHostGame& host = Open<CGuiHostGame>(kStateHostGame);
    // This machine's own addresses, as many as there is room for, the loopback last.
    std::vector<std::string> own;
    ListOwnAddresses(own);
    ASSERT_EQ(host.ShownAddresses(), std::min<int32_t>(static_cast<int32_t>(own.size()), CGuiHostGame::kMaxShownAddresses));
    for (int32_t i = 0; i < host.ShownAddresses(); ++i) {
        EXPECT_EQ(host.Address(i).Text(), own[static_cast<size_t>(i)]);
    }
    // Five-minute rounds, one round to win.
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandRoundLength, 0);
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandRoundsToWin, 0);
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandStart, 0);
    ASSERT_EQ(host.Phase(), CGuiHostGame::EPhase::Listening) << host.Status().Text();
    const CNetSession* session = host.Session();
    ASSERT_NE(session, nullptr);
    ASSERT_EQ(session->State(), ENetSessionState::Listening);
    const uint16_t port = session->Port();
    ASSERT_NE(port, 0);
    EXPECT_EQ(std::string(host.PortItem().Text()), texts().TxtNetPort() + std::to_string(port))
        << "the port really listened on";
    EXPECT_STREQ(host.Status().Text(), texts().TxtWaitingForPlayer());
    EXPECT_FALSE(host.StartItem().IsVisible());
    EXPECT_FALSE(host.PortItem().IsSelectable()) << "the port cannot change while listening";

    m_other = MakeSession("Bo");
    ASSERT_TRUE(m_other->Join("127.0.0.1", port));
    ASSERT_TRUE(PumpUntil([&] { return PendingLower() == kStateVersusGame; })) << host.Status().Text();
    EXPECT_EQ(host.Phase(), CGuiHostGame::EPhase::Started);
    EXPECT_EQ(PendingUpper(), kStateEmpty);
    // The match is built on the session, playing, and owns it; the host screen holds none.
    const CGuiVersus* match = PendingMatch();
    ASSERT_NE(match, nullptr);
    ASSERT_EQ(match->Session(), session);
    EXPECT_EQ(host.Session(), nullptr);
    EXPECT_TRUE(IsPlaying(session));
    EXPECT_EQ(session->OpponentName(), "Bo");
    ASSERT_TRUE(PumpUntil([&] { return IsPlaying(m_other.get()); }));
    EXPECT_EQ(m_other->OpponentName(), "Ann");
    EXPECT_EQ(m_other->Settings().roundSeconds, 300);
    EXPECT_EQ(m_other->Settings().roundsToWin, 1);
    EXPECT_EQ(m_other->Settings().maxRounds, 3);
    EXPECT_EQ(m_other->Settings().difficulty, CurrentPlayerDifficulty());
    // Leaving the host screen for the match does not close the match's session.
    CStateManager::Upper().SetState(kStateNone, true);
    EXPECT_TRUE(IsPlaying(match->Session()));
}

// A joiner of another version is told so every time, and the host screen keeps waiting for
// a player it can play; one of its own version then starts the match.
TEST_F(NetScreensTest, TheHostRefusesAnotherVersionInWordsAndWaitsOn) {
    CGuiHostGame& host = Open<CGuiHostGame>(kStateHostGame);
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandStart, 0);
    ASSERT_EQ(host.Phase(), CGuiHostGame::EPhase::Listening) << host.Status().Text();
    ASSERT_NE(host.Session(), nullptr);
    const uint16_t port = host.Session()->Port();
    for (int attempt = 0; attempt < 12; ++attempt) {
        m_other = MakeSession("Bo", kNetProtocolVersion + 1);
        ASSERT_TRUE(m_other->Join("127.0.0.1", port));
        ASSERT_TRUE(PumpUntil([&] { return m_other->State() == ENetSessionState::Ended; })) << attempt;
        EXPECT_EQ(m_other->EndReason(), ENetEndReason::VersionMismatch) << attempt;
        EXPECT_EQ(host.Phase(), CGuiHostGame::EPhase::Listening) << attempt << ": " << host.Status().Text();
        EXPECT_STREQ(host.Status().Text(), texts().TxtWaitingForPlayer()) << attempt;
    }
    m_other = MakeSession("Bo");
    ASSERT_TRUE(m_other->Join("127.0.0.1", port));
    ASSERT_TRUE(PumpUntil([&] { return PendingLower() == kStateVersusGame; })) << host.Status().Text();
    ASSERT_NE(PendingMatch(), nullptr);
    EXPECT_EQ(PendingMatch()->Session()->OpponentName(), "Bo");
}

TEST_F(NetScreensTest, TheHostsPortIsTypedInDigitsOrSteppedByAClick) {
    g_netHostPort = kDefaultNetPort;
    const struct {
        const char* what;
        std::vector<int32_t> codes;
        uint16_t port;
    } cases[] = {
        {"the first digit replaces the shown port", {'4', '0', '0', '0'}, 4000},
        {"a port ends at 65535", {'6', '5', '5', '3', '6'}, 6553},
        {"a sixth digit is refused", {'1', '2', '3', '4', '5', '6'}, 12345},
        {"backspace takes a digit", {'4', '0', '0', '0', 8, 8}, 40},
        {"all digits gone is the usual port", {8, 8, 8, 8, 8, 8}, kDefaultNetPort},
        {"letters are not typed", {'a', '7', 'x'}, 7},
        {"a leading zero is dropped", {'0', '8'}, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CGuiHostGame& host = Open<CGuiHostGame>(kStateHostGame);
        EXPECT_EQ(host.ChosenPort(), kDefaultNetPort);
        for (const int32_t code : c.codes) {
            host.OnChar(code);
        }
        EXPECT_EQ(host.ChosenPort(), c.port);
        EXPECT_EQ(std::string(host.PortItem().Text()), texts().TxtNetPort() + std::to_string(c.port));
    }
    CGuiHostGame& host = Open<CGuiHostGame>(kStateHostGame);
    host.OnChar('6');
    for (const char c : std::string("5535")) {
        host.OnChar(c);
    }
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandPort, 0);
    EXPECT_EQ(host.ChosenPort(), 1024) << "past the top the steps start again at 1024";
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandPort, 0);
    EXPECT_EQ(host.ChosenPort(), 1025);
}

TEST_F(NetScreensTest, APortInUseIsToldAndEscapeClosesTheSessionForTheVersusMenu) {
    m_other = MakeSession("Bo");
    ASSERT_TRUE(m_other->Host(0));
    CGuiHostGame& host = Open<CGuiHostGame>(kStateHostGame);
    Type(host, std::to_string(m_other->Port()));
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandStart, 0);
    EXPECT_EQ(host.Phase(), CGuiHostGame::EPhase::Choosing);
    EXPECT_STREQ(host.Status().Text(), texts().TxtNetCouldNotListen());
    EXPECT_EQ(host.Session(), nullptr);
    EXPECT_TRUE(host.StartItem().IsVisible() && host.StartItem().IsSelectable()) << "another try is open";

    // Any free port listens; Escape leaves it.
    for (int i = 0; i < 5; ++i) {
        host.OnChar(8);
    }
    Type(host, "0");
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandStart, 0);
    ASSERT_EQ(host.Phase(), CGuiHostGame::EPhase::Listening);
    EXPECT_STREQ(host.Status().Text(), texts().TxtWaitingForPlayer());
    EXPECT_TRUE(CEngine::Get().OnEscape());
    EXPECT_EQ(host.Session(), nullptr);
    EXPECT_EQ(PendingUpper(), kStateHostJoinMenu);
    EXPECT_EQ(PendingLower(), kStateEmpty);
}

TEST_F(NetScreensTest, TheJoinerTypesTheAddressAndReturnStartsTheMatch) {
    m_other = MakeSession("Bo");
    m_other->Host(0);
    ASSERT_EQ(m_other->State(), ENetSessionState::Listening);
    CGuiJoinGame& join = Open<CGuiJoinGame>(kStateJoinGame);
    // The keys are shown on asking, in the place of the matches found.
    EXPECT_FALSE(join.Grid().IsShown());
    CEngine::Get().BroadcastMessage(CGuiJoinGame::kCommandKeys, 0);
    EXPECT_TRUE(join.Grid().IsShown());
    EXPECT_FALSE(join.OfferRow(0).IsVisible());
    const std::string address = "127.0.0.1:" + std::to_string(m_other->Port());
    Type(join, address);
    EXPECT_EQ(join.TypedAddress(), address);
    join.OnChar(13);
    EXPECT_EQ(join.Phase(), CGuiJoinGame::EPhase::Connecting) << join.Status().Text();
    EXPECT_STREQ(join.Status().Text(), texts().TxtConnecting());
    ASSERT_TRUE(PumpUntil([&] { return PendingLower() == kStateVersusGame; })) << join.Status().Text();
    EXPECT_EQ(join.Phase(), CGuiJoinGame::EPhase::Started);
    EXPECT_EQ(join.Session(), nullptr) << "the match has the session";
    const CGuiVersus* match = PendingMatch();
    ASSERT_NE(match, nullptr);
    const CNetSession* session = match->Session();
    ASSERT_TRUE(IsPlaying(session));
    EXPECT_EQ(session->OpponentName(), "Bo");
    EXPECT_FALSE(session->IsHost());
    ASSERT_TRUE(PumpUntil([&] { return IsPlaying(m_other.get()); }));
    EXPECT_EQ(m_other->OpponentName(), "Ann");
    EXPECT_EQ(session->Seed(), m_other->Seed());

    // The address stays for the run.
    CStateManager::Upper().SetState(kStateNone, true);
    EXPECT_TRUE(IsPlaying(session)) << "the match keeps the session";
    CGuiJoinGame& again = Open<CGuiJoinGame>(kStateJoinGame);
    EXPECT_EQ(again.TypedAddress(), address);
}

TEST_F(NetScreensTest, EveryWayJoiningFailsIsToldInThePlayersWords) {
    // Nothing listens on a port a session just gave back.
    uint16_t silentPort = 0;
    {
        auto closed = MakeSession("Cy");
        ASSERT_TRUE(closed->Host(0));
        silentPort = closed->Port();
    }
    const struct {
        const char* what;
        std::function<std::string(NetScreensTest&)> prepare;   // the address to type
        const char* (CTextTable::*reason)() const;
    } cases[] = {
        {"nothing typed", [](NetScreensTest&) { return std::string(); }, &CTextTable::TxtNetAddressNeeded},
        {"an IPv6 address", [](NetScreensTest&) { return std::string("::1"); }, &CTextTable::TxtNetNoIPv6},
        {"IPv6 with a port", [](NetScreensTest&) { return std::string("[::1]:27960"); }, &CTextTable::TxtNetNoIPv6},
        {"five numbers", [](NetScreensTest&) { return std::string("1.2.3.4.5"); }, &CTextTable::TxtNetBadAddress},
        {"a port too high", [](NetScreensTest&) { return std::string("127.0.0.1:70000"); }, &CTextTable::TxtNetBadPort},
        {"an unknown name", [](NetScreensTest&) { return std::string("no-such-host.invalid"); },
         &CTextTable::TxtNetNameNotFound},
        {"no answer", [&](NetScreensTest&) { return "127.0.0.1:" + std::to_string(silentPort); },
         &CTextTable::TxtNetNoAnswer},
        {"a host of another version",
         [](NetScreensTest& test) {
             test.m_other = test.MakeSession("Bo", kNetProtocolVersion + 1);
             test.m_other->Host(0);
             return "127.0.0.1:" + std::to_string(test.m_other->Port());
         },
         &CTextTable::TxtNetOtherVersion},
        {"a host with its opponent",
         [](NetScreensTest& test) {
             test.m_other = test.MakeSession("Bo");
             test.m_third = test.MakeSession("Cy");
             test.m_other->Host(0);
             test.m_third->Join("127.0.0.1", test.m_other->Port());
             test.PumpUntil([&] { return IsPlaying(test.m_other.get()) && IsPlaying(test.m_third.get()); });
             return "localhost:" + std::to_string(test.m_other->Port());
         },
         &CTextTable::TxtNetHostBusy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_other.reset();
        m_third.reset();
        const std::string address = c.prepare(*this);
        CGuiJoinGame& join = Open<CGuiJoinGame>(kStateJoinGame);
        while (!join.TypedAddress().empty()) {
            join.OnChar(8);
        }
        Type(join, address);
        CEngine::Get().BroadcastMessage(CGuiJoinGame::kCommandConnect, 0);
        // A host that never answers is given up after the connect time, on the test's clock.
        ASSERT_TRUE(PumpUntil([&] {
            if (join.Phase() == CGuiJoinGame::EPhase::Connecting) {
                m_clockMs += 100;
            }
            return join.Phase() == CGuiJoinGame::EPhase::Typing || join.Phase() == CGuiJoinGame::EPhase::Started;
        }));
        EXPECT_EQ(join.Phase(), CGuiJoinGame::EPhase::Typing);
        EXPECT_STREQ(join.Status().Text(), (texts().*c.reason)());
        EXPECT_EQ(join.Session(), nullptr) << "a failed try leaves no session";
        EXPECT_EQ(PendingLower(), kStateNone);
        // Typing takes the reason away.
        join.OnChar('x');
        EXPECT_STREQ(join.Status().Text(), "");
    }
}

TEST_F(NetScreensTest, TheOnScreenKeysTypeAnAddressAndEscapeGoesBack) {
    CGuiJoinGame& join = Open<CGuiJoinGame>(kStateJoinGame);
    const CGuiKeyGrid& grid = join.Grid();
    // Every key shows what it types: digits, small letters, '.', '-', ':', and Delete last.
    std::string shown;
    for (int32_t i = 0; i + 1 < grid.KeyCount(); ++i) {
        shown += grid.Key(i).Text();
    }
    EXPECT_EQ(shown, "1234567890abcdefghijklmnopqrstuvwxyz.-:");
    EXPECT_STREQ(grid.Key(grid.KeyCount() - 1).Text(), texts().TxtGridDelete());
    auto press = [&](char typed) {
        for (int32_t i = 0; i < grid.KeyCount(); ++i) {
            if (grid.Key(i).Text()[0] == typed && grid.Key(i).Text()[1] == '\0') {
                CEngine::Get().BroadcastMessage(grid.Key(i).Command(), 0);
                return;
            }
        }
        ADD_FAILURE() << "no key " << typed;
    };
    for (const char c : std::string("anna-pc.lan:27961")) {
        press(c);
    }
    EXPECT_EQ(join.TypedAddress(), "anna-pc.lan:27961");
    CEngine::Get().BroadcastMessage(grid.Key(grid.KeyCount() - 1).Command(), 0);
    EXPECT_EQ(join.TypedAddress(), "anna-pc.lan:2796");
    EXPECT_TRUE(CEngine::Get().OnEscape());
    EXPECT_EQ(PendingUpper(), kStateHostJoinMenu);
    EXPECT_EQ(join.Phase(), CGuiJoinGame::EPhase::Typing);
    // Left without connecting, the address typed is still there the next time.
    CGuiJoinGame& again = Open<CGuiJoinGame>(kStateJoinGame);
    EXPECT_EQ(again.TypedAddress(), "anna-pc.lan:2796");
}

TEST_F(NetScreensTest, TheVersusMenuLeadsToHostingAndJoining) {
    for (const int32_t target : {kStateHostGame, kStateJoinGame}) {
        CGuiNetMenu& menu = Open<CGuiNetMenu>(kStateHostJoinMenu);
        const CGuiWidget* item = nullptr;
        for (int32_t i = 0; i < menu.WidgetCount(); ++i) {
            if (menu.WidgetAt(i).Command() == target) {
                item = &menu.WidgetAt(i);
            }
        }
        ASSERT_NE(item, nullptr) << target;
        EXPECT_TRUE(item->IsSelectable());
        EXPECT_STREQ(item->Text(), target == kStateHostGame ? texts().TxtHostAServer() : texts().TxtJoinAServer());
        CEngine::Get().BroadcastMessage(target, 0);
        EXPECT_EQ(PendingUpper(), target);
        EXPECT_EQ(PendingLower(), kStateEmpty);
    }
}

}  // namespace

namespace {

TEST_F(NetScreensTest, EscapeWhileConnectingClosesTheSessionForTheVersusMenu) {
    uint16_t silentPort = 0;
    {
        auto closed = MakeSession("Cy");
        ASSERT_TRUE(closed->Host(0));
        silentPort = closed->Port();
    }
    CGuiJoinGame& join = Open<CGuiJoinGame>(kStateJoinGame);
    Type(join, "127.0.0.1:" + std::to_string(silentPort));
    join.OnChar(13);
    ASSERT_EQ(join.Phase(), CGuiJoinGame::EPhase::Connecting);
    ASSERT_NE(join.Session(), nullptr);
    join.OnChar('9');
    EXPECT_EQ(join.TypedAddress(), "127.0.0.1:" + std::to_string(silentPort)) << "no typing while connecting";
    EXPECT_TRUE(CEngine::Get().OnEscape());
    EXPECT_EQ(join.Session(), nullptr);
    EXPECT_EQ(PendingUpper(), kStateHostJoinMenu);
}

// A name from the network is Windows-1252 (one of 0xFF alone made the log invalid UTF-8):
// the host's log and stderr show its bytes escaped.
TEST_F(NetScreensTest, TheJoinersNameIsLoggedEscaped) {
    std::vector<std::string> lines;
    CLog& log = CLog::Get();
    const bool wasEnabled = log.IsEnabled();
    log.SetEnabled(true);
    log.SetCapture(&lines);
    CGuiHostGame& host = Open<CGuiHostGame>(kStateHostGame);
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandStart, 0);
    ASSERT_EQ(host.Phase(), CGuiHostGame::EPhase::Listening) << host.Status().Text();
    m_other = MakeSession("\xFF\xC5sa");
    ASSERT_NE(host.Session(), nullptr);
    ASSERT_TRUE(m_other->Join("127.0.0.1", host.Session()->Port()));
    const bool joined = PumpUntil([&] { return PendingLower() == kStateVersusGame; });
    log.SetCapture(nullptr);
    log.SetEnabled(wasEnabled);
    ASSERT_TRUE(joined) << host.Status().Text();
    ASSERT_NE(PendingMatch(), nullptr);
    EXPECT_EQ(PendingMatch()->Session()->OpponentName(), "\xFF\xC5sa");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "CGuiHostGame: \\xFF\\xC5sa joined"), lines.end());
}

// The name a player is known by in a match: the player's own when it can travel.
TEST_F(NetScreensTest, ThePlayersNameTravelsOrPlayerStandsInForIt) {
    const struct {
        const char* name;   // null: no player at all
        const char* travels;
    } cases[] = {
        {"Ann", "Ann"},
        {"\xC5sa \xD6" "berg", "\xC5sa \xD6" "berg"},
        {"Bo\x81", "Player"},   // a letter Windows-1252 does not have
        {"\x8A\xE1rka", "Player"},   // 0x80-0x9F: control codes to a Latin-1 reader
        {nullptr, "Player"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.travels);
        ClearPlayers();
        if (c.name != nullptr) {
            ASSERT_NE(CreatePlayer(c.name), nullptr);
        }
        EXPECT_EQ(NetPlayName(), c.travels);
        EXPECT_EQ(NetPlayOptions(NetMatchSettings()).name, c.travels);
    }
}

}  // namespace

// ---------------------------------------------------------------- the server and the local network

namespace {

class MatchListTest : public NetScreensTest {
public:
    void SetUp() override {
        NetScreensTest::SetUp();
        SetServerLogStream(nullptr);
        LobbyServiceOptions options;
        options.bind = "127.0.0.1";
        options.port = 0;
        m_server = std::make_unique<CLobbyService>(options);
        ASSERT_TRUE(m_server->Start());
    }
    void TearDown() override {
        g_netServerOverride.clear();
        g_netDiscoveryAddresses.clear();
        g_netDiscoveryPort = kDefaultNetPort;
        NetScreensTest::TearDown();
        m_server.reset();
        SetServerLogStream(stderr);
    }
    // The screens, the test's sessions and the server, until done() holds.
    bool PumpAllUntil(const std::function<bool()>& done) {
        return PumpUntil([&] {
            m_server->Poll(0);
            return done();
        });
    }
    std::string ServerAddress() const { return "127.0.0.1:" + std::to_string(m_server->Port()); }

    std::unique_ptr<CLobbyService> m_server;
};

TEST_F(MatchListTest, TheJoinScreenListsLocalAndServerMatchesAndJoinsEitherWithoutTyping) {
    // Bo hosts on this machine's loopback network; Cy's match is listed by the server.
    m_other = MakeSession("Bo");
    ASSERT_TRUE(m_other->Host(0));
    m_third = MakeSession("Cy");
    ASSERT_TRUE(m_third->Host(0));
    ASSERT_TRUE(m_third->Announce("127.0.0.1", m_server->Port()));
    ASSERT_TRUE(PumpAllUntil([&] { return m_third->ServerLink() == ENetServerLink::Listed; }));
    g_netDiscoveryAddresses = {"127.255.255.255"};
    g_netDiscoveryPort = m_other->Port();
    g_netServerOverride = ServerAddress();

    CGuiJoinGame& join = Open<CGuiJoinGame>(kStateJoinGame);
    EXPECT_FALSE(join.Grid().IsShown()) << "the matches stand where the keys would";
    ASSERT_TRUE(PumpAllUntil([&] { return join.Finder().Offers().size() == 2; }));
    const std::string local = std::string("Bo (") + m_other->Listing().hostName + ") - " + texts().TxtLocalNetwork();
    const std::string listed = std::string("Cy (") + m_third->Listing().hostName + ") - " + texts().TxtOnServer();
    EXPECT_EQ(join.OfferRow(0).Text(), local);
    EXPECT_EQ(join.OfferRow(1).Text(), listed);
    EXPECT_TRUE(join.OfferRow(1).IsSelectable());
    EXPECT_FALSE(join.OfferRow(2).IsSelectable());
    EXPECT_STREQ(join.LanStatus().Text(), texts().TxtLanLooking());
    char matches[64];
    std::snprintf(matches, sizeof matches, texts().TxtServerMatches(), 1);
    EXPECT_EQ(std::string(join.ServerStatus().Text()), std::string(texts().TxtServerColon()) + matches);

    // A click on Cy's row: the match is played through the server, nothing typed.
    CEngine::Get().BroadcastMessage(CGuiJoinGame::kCommandOffer + 1, 0);
    EXPECT_EQ(join.Phase(), CGuiJoinGame::EPhase::Connecting);
    EXPECT_TRUE(join.TypedAddress().empty());
    ASSERT_TRUE(PumpAllUntil([&] { return PendingLower() == kStateVersusGame && IsPlaying(m_third.get()); }));
    const CGuiVersus* match = PendingMatch();
    ASSERT_NE(match, nullptr);
    EXPECT_TRUE(match->Session()->IsRelayed());
    EXPECT_EQ(match->Session()->OpponentName(), "Cy");
    EXPECT_EQ(m_third->OpponentName(), "Ann");
    // The match goes (and its session with it); the join screen is opened again.
    CStateManager::Lower().SetState(kStateNone, true);
    CStateManager::Lower().RequestState(kStateNone);
    ASSERT_NE(PendingLower(), kStateVersusGame);

    // And Bo's row: straight to Bo's program on the local network.
    CGuiJoinGame& again = Open<CGuiJoinGame>(kStateJoinGame);
    ASSERT_TRUE(PumpAllUntil([&] { return !again.Finder().Offers().empty() && again.OfferRow(0).IsSelectable(); }));
    CEngine::Get().BroadcastMessage(CGuiJoinGame::kCommandOffer + 0, 0);
    ASSERT_TRUE(PumpAllUntil([&] { return PendingLower() == kStateVersusGame && IsPlaying(m_other.get()); }));
    ASSERT_NE(PendingMatch(), nullptr);
    EXPECT_FALSE(PendingMatch()->Session()->IsRelayed());
    EXPECT_EQ(PendingMatch()->Session()->OpponentName(), "Bo");
    EXPECT_EQ(m_other->OpponentName(), "Ann");
}

TEST_F(MatchListTest, TheHostAnnouncesToTheServerAndSaysSo) {
    g_netHostPort = 0;
    g_netServerOverride = ServerAddress();
    CGuiHostGame& host = Open<CGuiHostGame>(kStateHostGame);
    CEngine::Get().BroadcastMessage(CGuiHostGame::kCommandStart, 0);
    ASSERT_EQ(host.Phase(), CGuiHostGame::EPhase::Listening);
    const std::string listed = std::string(texts().TxtServerColon()) + texts().TxtServerListed();
    ASSERT_TRUE(PumpAllUntil([&] { return host.ServerStatus().Text() == listed; })) << host.ServerStatus().Text();
    EXPECT_TRUE(host.ServerStatus().IsVisible());
    EXPECT_EQ(m_server->Lobby()->Counts().listings, 1u);
    // Leaving the screen withdraws the match.
    EXPECT_TRUE(CEngine::Get().OnEscape());
    ASSERT_TRUE(PumpAllUntil([&] { return m_server->Lobby()->Counts().listings == 0; }));
}

// Every way the server's part can fail has its own words, in both languages, and the
// local network and typing still work.
TEST_F(MatchListTest, EveryServerFailureIsToldInThePlayersWords) {
    const uint16_t nobody = m_server->Port();
    m_server->Stop();
    ASSERT_TRUE(m_server->Start());
    g_netDiscoveryAddresses = {"127.255.255.255"};
    struct Case {
        std::string server;
        std::function<const char*()> words;
    };
    const std::vector<Case> cases = {
        {"", [] { return texts().TxtServerNoneSet(); }},
        {"no.such.name", [] { return texts().TxtNetNameNotFound(); }},
        {"127.0.0.1:99999", [] { return texts().TxtNetBadPort(); }},
        {"::1", [] { return texts().TxtNetNoIPv6(); }},
    };
    std::vector<std::string> seen;
    for (const uint32_t language : {kLanguageEnglish, kLanguageSwedish}) {
        CLanguage::Get().SetLanguage(language);
        for (const Case& c : cases) {
            g_netServerOverride = c.server;
            CGuiJoinGame& join = Open<CGuiJoinGame>(kStateJoinGame);
            const std::string expected = std::string(texts().TxtServerColon()) + c.words();
            ASSERT_TRUE(PumpAllUntil([&] { return join.ServerStatus().Text() == expected; }))
                << c.server << ": " << join.ServerStatus().Text();
            seen.push_back(expected);
        }
        // A server that does not answer: given up after the connect time.
        g_netServerOverride = "127.0.0.1:" + std::to_string(nobody == m_server->Port() ? nobody + 1 : nobody);
        CGuiJoinGame& join = Open<CGuiJoinGame>(kStateJoinGame);
        Pump();
        m_clockMs += kNetConnectMs + 1;
        const std::string expected = std::string(texts().TxtServerColon()) + texts().TxtServerNoAnswer();
        ASSERT_TRUE(PumpAllUntil([&] { return join.ServerStatus().Text() == expected; })) << join.ServerStatus().Text();
        seen.push_back(expected);
        // A server at its limits: too many from this address.
        m_server->Stop();
        LobbyServiceOptions full;
        full.bind = "127.0.0.1";
        full.port = 0;
        full.limits.maxPeersPerAddress = 1;
        m_server = std::make_unique<CLobbyService>(full);
        ASSERT_TRUE(m_server->Start());
        m_other = MakeSession("Bo");
        ASSERT_TRUE(m_other->Host(0));
        ASSERT_TRUE(m_other->Announce("127.0.0.1", m_server->Port()));
        ASSERT_TRUE(PumpAllUntil([&] { return m_other->ServerLink() == ENetServerLink::Listed; }));
        g_netServerOverride = ServerAddress();
        CGuiJoinGame& crowded = Open<CGuiJoinGame>(kStateJoinGame);
        const std::string isFull = std::string(texts().TxtServerColon()) + texts().TxtServerIsFull();
        ASSERT_TRUE(PumpAllUntil([&] { return crowded.ServerStatus().Text() == isFull; })) << crowded.ServerStatus().Text();
        seen.push_back(isFull);
        m_other.reset();
        m_server = std::make_unique<CLobbyService>(LobbyServiceOptions{"127.0.0.1", 0, LobbyLimits()});
        ASSERT_TRUE(m_server->Start());
    }
    CLanguage::Get().SetLanguage(kLanguageEnglish);
    // The two languages' words differ, and no two failures share words in one language.
    const size_t perLanguage = seen.size() / 2;
    for (size_t i = 0; i < perLanguage; ++i) {
        EXPECT_NE(seen[i], seen[i + perLanguage]) << i;
        for (size_t j = i + 1; j < perLanguage; ++j) {
            EXPECT_NE(seen[i], seen[j]) << i << " " << j;
        }
    }
    // The match ended by the server's refusals has words of its own too.
    EXPECT_STRNE(NetEndReasonText(ENetEndReason::MatchGone), NetEndReasonText(ENetEndReason::ServerFull));
    EXPECT_STRNE(NetEndReasonText(ENetEndReason::MatchGone), "");
}

}  // namespace
