// The real lobby and relay over loopback with the game's own sessions: announcing, listing,
// joining through the relay, a whole bot match relayed, hosts that leave or fall silent,
// and the local network's discovery on the loopback broadcast address.
#include "net/NetDiscovery.h"
#include "tests/net/BotMatchProgram.h"
#include "tests/server/ServerTestSupport.h"

#include <algorithm>

namespace {

NetSessionOptions Options(const char* name, uint32_t seed, TestClock* clock = nullptr) {
    NetSessionOptions options;
    options.name = name;
    options.settings.difficulty = 3;
    options.settings.roundsToWin = 2;
    options.settings.maxRounds = 5;
    options.settings.roundSeconds = 40;
    options.seed = seed;
    if (clock != nullptr) {
        options.clock = clock->Clock();
    }
    return options;
}

bool Playing(const CNetSession& session) { return session.State() == ENetSessionState::Playing; }

class ServerLoopbackTest : public ServerFixture {
protected:
    // A host listening on a free port and listed on the server.
    std::unique_ptr<CNetSession> ListedHost(const char* name, uint32_t seed) {
        auto host = std::make_unique<CNetSession>(Options(name, seed));
        EXPECT_TRUE(host->Host(0));
        EXPECT_TRUE(host->Announce("127.0.0.1", service->Port()));
        EXPECT_TRUE(PumpUntil([&] { host->Service(); }, [&] { return host->ServerLink() != ENetServerLink::Connecting; }));
        EXPECT_EQ(host->ServerLink(), ENetServerLink::Listed);
        return host;
    }
};

}  // namespace

TEST_F(ServerLoopbackTest, HostsAnnounceJoinersListAndJoinThroughTheLobby) {
    auto anna = ListedHost("Anna", 11);
    auto bea = ListedHost("Bea", 22);
    ASSERT_NE(anna->ListingId(), bea->ListingId());

    TestClock clock;
    CLobbyClient lister(clock.Clock());
    ASSERT_TRUE(lister.Start("127.0.0.1", service->Port()));
    ASSERT_TRUE(PumpUntil([&] { lister.Service(); }, [&] { return lister.State() == ELobbyClientState::Listed; }));
    const NetMatchList& list = lister.List();
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(list.total, 2);
    const NetListedMatch newest = list.entries[0];   // a copy: the list is refreshed below
    EXPECT_EQ(newest.listing.playerName, "Bea");
    EXPECT_EQ(newest.id, bea->ListingId());
    EXPECT_EQ(newest.listing, bea->Listing()) << "the listing as the host announced it";
    EXPECT_EQ(newest.listing.port, bea->Port());
    EXPECT_EQ(newest.listing.gameVersion, PelloraGameVersion());
    EXPECT_EQ(newest.listing.settings.roundSeconds, 40);
    const uint8_t loopback[4] = {127, 0, 0, 1};
    EXPECT_TRUE(std::equal(loopback, loopback + 4, newest.address));

    // Cid picks Bea's match: both play through the server.
    CNetSession cid(Options("Cid", 0));
    ASSERT_TRUE(cid.JoinRelay("127.0.0.1", service->Port(), newest.id));
    ASSERT_TRUE(PumpUntil(
        [&] {
            anna->Service();
            bea->Service();
            cid.Service();
        },
        [&] { return Playing(*bea) && Playing(cid); }))
        << NetEndReasonName(cid.EndReason());
    EXPECT_TRUE(bea->IsRelayed());
    EXPECT_TRUE(cid.IsRelayed());
    EXPECT_EQ(bea->ServerLink(), ENetServerLink::Relaying);
    EXPECT_EQ(bea->OpponentName(), "Cid");
    EXPECT_EQ(cid.OpponentName(), "Bea");
    EXPECT_EQ(cid.Settings(), bea->Settings());
    EXPECT_EQ(cid.Seed(), 22u);
    EXPECT_EQ(service->Lobby()->Counts().relays, 1u);

    // Steps pass both ways whole and in order.
    std::vector<ReplayStep> steps(200);
    for (uint32_t i = 0; i < steps.size(); ++i) {
        steps[i].aimX = static_cast<float>(i);
        steps[i].input = static_cast<uint16_t>(i & ReplayInput::All);
    }
    ASSERT_TRUE(cid.SendInputs(0, steps.data(), 200));
    ASSERT_TRUE(bea->SendInputs(0, steps.data(), 100));
    std::vector<ReplayStep> atBea;
    std::vector<ReplayStep> atCid;
    ASSERT_TRUE(PumpUntil(
        [&] {
            bea->Service();
            cid.Service();
            ReplayStep step;
            while (bea->TakeStep(step)) {
                atBea.push_back(step);
            }
            while (cid.TakeStep(step)) {
                atCid.push_back(step);
            }
        },
        [&] { return atBea.size() == 200 && atCid.size() == 100; }));
    EXPECT_TRUE(std::equal(atBea.begin(), atBea.end(), steps.begin()));
    EXPECT_TRUE(std::equal(atCid.begin(), atCid.end(), steps.begin()));

    // The lister's next look shows only the match still open.
    clock.ms += CLobbyClient::kRefreshMs;
    const uint32_t before = lister.ListsReceived();
    ASSERT_TRUE(PumpUntil([&] { lister.Service(); }, [&] { return lister.ListsReceived() > before; }));
    ASSERT_EQ(lister.List().count, 1u);
    EXPECT_EQ(lister.List().entries[0].listing.playerName, "Anna");

    // Another joiner of the taken match is told it is gone.
    CNetSession late(Options("Dag", 0));
    ASSERT_TRUE(late.JoinRelay("127.0.0.1", service->Port(), newest.id));
    ASSERT_TRUE(PumpUntil([&] { late.Service(); }, [&] { return late.State() == ENetSessionState::Ended; }));
    EXPECT_EQ(late.EndReason(), ENetEndReason::MatchGone);

    // Cid leaves: Bea hears it through the server.
    cid.Leave();
    ASSERT_TRUE(PumpUntil([&] { bea->Service(); }, [&] { return bea->State() == ENetSessionState::Ended; }));
    EXPECT_EQ(bea->EndReason(), ENetEndReason::OpponentLeft);
    EXPECT_EQ(bea->OpponentGoodbye(), ENetGoodbye::Quit);
}

TEST_F(ServerLoopbackTest, ARelayedBotMatchAgreesOnEveryChecksum) {
    BotMatchProgram host;
    BotMatchProgram joiner;
    host.session = ListedHost("Host", 4242);
    joiner.session = std::make_unique<CNetSession>(Options("Joiner", 0));
    ASSERT_TRUE(joiner.session->JoinRelay("127.0.0.1", service->Port(), host.session->ListingId()));
    ASSERT_TRUE(PumpUntil(
        [&] {
            host.session->Service();
            joiner.session->Service();
        },
        [&] { return Playing(*host.session) && Playing(*joiner.session); }));
    host.net.Start(*host.session, host.match);
    joiner.net.Start(*joiner.session, joiner.match);
    host.bot.Configure(EBotStrength::Hard, 4242);
    joiner.bot.Configure(EBotStrength::Normal, 4243);
    bool over = false;
    for (int i = 0; i < 400000 && !over; ++i) {
        service->Poll(0);
        host.Frame();
        joiner.Frame();
        over = host.match.Phase() == EVersusPhase::MatchOver && joiner.match.Phase() == EVersusPhase::MatchOver;
        if (!host.net.IsRunning() || !joiner.net.IsRunning()) {
            break;
        }
    }
    ASSERT_TRUE(over) << host.net.Why() << " / " << joiner.net.Why();
    EXPECT_NE(host.match.MatchWinner(), -1);
    EXPECT_EQ(host.match.MatchWinner(), joiner.match.MatchWinner());
    for (int32_t side = 0; side < kVersusSides; ++side) {
        EXPECT_EQ(host.match.RoundsWon(side), joiner.match.RoundsWon(side));
    }
    // Every second of each side was compared on the other, and nothing went out of step.
    for (const BotMatchProgram* program : {&host, &joiner}) {
        uint32_t opponentSteps = 0;
        for (const ReplayRun& run : program->net.Record().sides[program->net.OpponentSide()].runs) {
            opponentSteps += run.count;
        }
        EXPECT_GE(program->net.ChecksumsAgreed(), opponentSteps / kNetCheckSteps - 1);
        EXPECT_GT(program->net.AttacksAgreed(), 0u);
        EXPECT_EQ(program->net.End(), ENetVersusEnd::None);
    }
    EXPECT_GT(service->Lobby()->Counts().forwardedPackets, 100u);
}

TEST_F(ServerLoopbackTest, AHostThatLeavesOrFallsSilentDropsOutOfTheList) {
    auto leaving = ListedHost("Leaves", 1);
    auto silent = ListedHost("Silent", 2);
    auto staying = ListedHost("Stays", 3);
    const auto serviceHosts = [&] {
        for (CNetSession* host : {leaving.get(), silent.get(), staying.get()}) {
            if (host != nullptr) {
                host->Service();
            }
        }
    };
    std::vector<std::string> names = ListedPlayers();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Leaves", "Silent", "Stays"}));

    // Leaving: the session's end closes its link at once.
    leaving.reset();
    ASSERT_TRUE(PumpUntil(serviceHosts, [&] { return service->Lobby()->Counts().listings == 2; }));
    // Falling silent: the host's program stops answering (it is never serviced again); the
    // server's silence timer (a second here) takes the listing away.
    CNetSession* frozen = silent.release();
    ASSERT_TRUE(PumpUntil([&] { staying->Service(); }, [&] { return service->Lobby()->Counts().listings == 1; }));
    EXPECT_EQ(ListedPlayers(), std::vector<std::string>{"Stays"});
    delete frozen;
}

TEST_F(ServerLoopbackTest, AHostHostsOnWhenTheServerRefusesOrCannotBeReached) {
    service.reset();
    options.limits.maxListings = 1;
    service = std::make_unique<CLobbyService>(options);
    ASSERT_TRUE(service->Start());
    auto first = ListedHost("First", 1);
    TestClock clock;
    CNetSession second(Options("Second", 2, &clock));
    ASSERT_TRUE(second.Host(0));
    ASSERT_TRUE(second.Announce("127.0.0.1", service->Port()));
    ASSERT_TRUE(PumpUntil([&] { second.Service(); }, [&] { return second.ServerLink() != ENetServerLink::Connecting; }));
    EXPECT_EQ(second.ServerLink(), ENetServerLink::Refused);
    EXPECT_EQ(second.ServerRefusal(), ELobbyRefusal::Full);
    EXPECT_EQ(second.State(), ENetSessionState::Listening);

    // No server on that port: the link is given up after the connect time; hosting goes on,
    // and a direct joiner still gets in.
    const uint16_t nobody = service->Port();
    service->Stop();
    CNetSession third(Options("Third", 3, &clock));
    ASSERT_TRUE(third.Host(0));
    ASSERT_TRUE(third.Announce("127.0.0.1", nobody));
    third.Service();
    clock.ms += kNetConnectMs + 1;
    third.Service();
    EXPECT_EQ(third.ServerLink(), ENetServerLink::Lost);
    CNetSession joiner(Options("Joiner", 0, &clock));
    ASSERT_TRUE(joiner.Join("127.0.0.1", third.Port()));
    ASSERT_TRUE(PumpUntil(
        [&] {
            third.Service();
            joiner.Service();
        },
        [&] { return Playing(third) && Playing(joiner); }));
    EXPECT_FALSE(third.IsRelayed());
}

TEST_F(ServerLoopbackTest, ADirectJoinerWithdrawsTheListing) {
    auto host = ListedHost("Host", 5);
    CNetSession joiner(Options("Joiner", 0));
    ASSERT_TRUE(joiner.Join("127.0.0.1", host->Port()));
    ASSERT_TRUE(PumpUntil(
        [&] {
            host->Service();
            joiner.Service();
        },
        [&] { return Playing(*host) && service->Lobby()->Counts().listings == 0; }));
    EXPECT_FALSE(host->IsRelayed());
    EXPECT_EQ(host->ServerLink(), ENetServerLink::None);
}

TEST_F(ServerLoopbackTest, DiscoveryFindsAHostOnTheLoopbackBroadcastAddress) {
    TestClock clock;
    CNetSession host(Options("Anna", 9, &clock));
    ASSERT_TRUE(host.Host(0));
    CNetDiscovery finder(clock.Clock());
    ASSERT_TRUE(finder.Start({"127.255.255.255"}, host.Port()));
    ASSERT_TRUE(PumpUntil(
        [&] {
            host.Service();
            finder.Service();
        },
        [&] { return !finder.Found().empty(); }));
    ASSERT_EQ(finder.Found().size(), 1u);
    const NetFoundMatch& found = finder.Found()[0];
    EXPECT_EQ(found.address, "127.0.0.1");
    EXPECT_EQ(found.listing, host.Listing());
    EXPECT_EQ(found.listing.playerName, "Anna");
    EXPECT_EQ(found.listing.port, host.Port());

    // A flood of asks (a fresh finder's first ask each time, all within one second of the
    // host's clock) is answered only so many times a second.
    const uint32_t before = host.DiscoveryAnswers();
    CNetDiscovery flood(clock.Clock());
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(flood.Start({"127.0.0.1"}, host.Port()));
        host.Service();
    }
    EXPECT_LE(host.DiscoveryAnswers() - before, CNetSession::kDiscoveryAnswersPerSecond + 1u);
    flood.Stop();

    // Once the host plays it no longer answers, and the finder forgets it.
    CNetSession joiner(Options("Joiner", 0, &clock));
    ASSERT_TRUE(joiner.Join("127.0.0.1", host.Port()));
    ASSERT_TRUE(PumpUntil(
        [&] {
            host.Service();
            joiner.Service();
        },
        [&] { return Playing(host) && Playing(joiner); }));
    clock.ms += CNetDiscovery::kForgetMs + 1;
    ASSERT_TRUE(PumpUntil(
        [&] {
            host.Service();
            joiner.Service();
            finder.Service();
        },
        [&] { return finder.Found().empty(); }, 500));
}
