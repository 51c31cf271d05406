#pragma once
// What the loopback tests of pellora-server share: the real service on a free loopback port,
// pumped in the test's own thread between the clients, and waits bounded by loop counts.
#include "net/LobbyClient.h"
#include "server/LobbyService.h"
#include "server/ServerLog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

constexpr int kMaxPumps = 6000;   // with 1 ms between them: far beyond what loopback needs

struct TestClock {
    uint64_t ms = 1000;
    NetClock Clock() {
        return [this] { return ms; };
    }
};

class ServerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetServerLogStream(nullptr);
        options.bind = "127.0.0.1";
        options.port = 0;
        options.limits.silenceMs = 1000;
        options.limits.greetMs = 2000;
        service = std::make_unique<CLobbyService>(options);
        ASSERT_TRUE(service->Start());
        ASSERT_NE(service->Port(), 0);
    }
    void TearDown() override {
        service.reset();
        SetServerLogStream(stderr);
    }

    // Polls the server, then pump(), until done() holds; false if it never did.
    bool PumpUntil(const std::function<void()>& pump, const std::function<bool()>& done, int limit = kMaxPumps) {
        for (int i = 0; i < limit; ++i) {
            service->Poll(0);
            pump();
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // A fresh joiner's look at the lobby: the player names listed (empty on a failure).
    std::vector<std::string> ListedPlayers() {
        CLobbyClient client;
        EXPECT_TRUE(client.Start("127.0.0.1", service->Port()));
        const bool listed = PumpUntil([&] { client.Service(); },
                                      [&] { return client.State() != ELobbyClientState::Connecting; });
        EXPECT_TRUE(listed && client.State() == ELobbyClientState::Listed) << LobbyClientFaultName(client.Fault());
        std::vector<std::string> names;
        for (uint32_t i = 0; i < client.List().count; ++i) {
            names.push_back(client.List().entries[i].listing.playerName);
        }
        return names;
    }

    LobbyServiceOptions options;
    std::unique_ptr<CLobbyService> service;
};
