// pellora-server's settings: the file and the options, their ranges, and what wins.
#include "server/ServerConfig.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
ServerCommand Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "pellora-server");
    return ParseServerCommandLine(static_cast<int>(args.size()), args.data());
}
}  // namespace

TEST(ServerConfigTest, OptionsSetTheirValuesAndTheDefaultsAreTheGames) {
    const ServerCommand plain = Parse({});
    EXPECT_EQ(plain.action, EServerAction::Run);
    EXPECT_EQ(plain.config.lobby.port, kDefaultNetPort);
    EXPECT_TRUE(plain.config.lobby.bind.empty());

    const ServerCommand set = Parse({"--bind", "127.0.0.1", "--port", "4000", "--max-peers-per-address", "3",
                                     "--silence-seconds", "7", "--relay-bytes-per-second", "2048"});
    ASSERT_EQ(set.action, EServerAction::Run) << set.error;
    EXPECT_EQ(set.config.lobby.bind, "127.0.0.1");
    EXPECT_EQ(set.config.lobby.port, 4000);
    EXPECT_EQ(set.config.lobby.limits.maxPeersPerAddress, 3u);
    EXPECT_EQ(set.config.lobby.limits.silenceMs, 7000u);
    EXPECT_EQ(set.config.lobby.limits.relayBytesPerSecond, 2048u);
    EXPECT_EQ(set.config.lobby.limits.relayBacklogBytes, 4096u);

    EXPECT_EQ(Parse({"--help"}).action, EServerAction::ShowHelp);
    EXPECT_EQ(Parse({"--version"}).action, EServerAction::ShowVersion);
    // The help names every option the program takes.
    const std::string usage = ServerUsageText();
    for (const char* option : {"--bind", "--port", "--config", "--max-peers", "--max-peers-per-address", "--max-matches",
                               "--max-matches-per-address", "--announces-per-minute", "--messages-per-second",
                               "--relay-bytes-per-second", "--greet-seconds", "--idle-seconds", "--silence-seconds",
                               "--help", "--version"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

TEST(ServerConfigTest, BadOptionsAreRefusedWithTheirReason) {
    struct Case {
        std::vector<const char*> args;
        const char* said;
    };
    const std::vector<Case> cases = {
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"--port"}, "--port needs a value"},
        {{"--port", "65536"}, "port: 65536 is not from 0 to 65535"},
        {{"--port", "-1"}, "not a whole number"},
        {{"--port", "27960x"}, "not a whole number"},
        {{"--max-peers", "99999999999"}, "not a whole number"},
        {{"--bind", "example.org"}, "not a numeric IPv4 address"},
        {{"--bind", "::1"}, "not a numeric IPv4 address"},
        {{"--config", "/nonexistent/pellora-server.conf"}, "cannot read the configuration file"},
        {{"27960"}, "unknown option 27960"},
    };
    for (const Case& c : cases) {
        const ServerCommand command = Parse(c.args);
        EXPECT_EQ(command.action, EServerAction::Bad) << c.said;
        EXPECT_NE(command.error.find(c.said), std::string::npos) << command.error;
    }
}

TEST(ServerConfigTest, TheFileIsReadAndTheOptionsWinOverIt) {
    CTempFolder dir;
    const std::string path = dir.Path() + "/server.conf";
    std::ofstream(path) << "# the sample\n"
                           "port = 4100   # a comment after the value\n"
                           "\n"
                           "  max-matches = 10\r\n"
                           "bind=127.0.0.1\n";
    const ServerCommand command = Parse({"--port", "4200", "--config", path.c_str()});
    ASSERT_EQ(command.action, EServerAction::Run) << command.error;
    EXPECT_EQ(command.config.lobby.port, 4200);
    EXPECT_EQ(command.config.lobby.limits.maxListings, 10u);
    EXPECT_EQ(command.config.lobby.bind, "127.0.0.1");
    EXPECT_EQ(command.config.configFile, path);

    ServerConfig config;
    std::string error;
    EXPECT_FALSE(ApplyServerConfigText("port = 1\nnonsense\n", config, error));
    EXPECT_EQ(error, "line 2: expected \"name = value\"");
    EXPECT_FALSE(ApplyServerConfigText("colour = blue\n", config, error));
    EXPECT_EQ(error, "line 1: unknown setting colour");
    EXPECT_FALSE(ApplyServerConfigText("max-matches = 0\n", config, error));
    EXPECT_NE(error.find("line 1: max-matches: 0 is not from 1"), std::string::npos) << error;

    // The sample shipped with the program is a valid configuration.
    std::string sample;
    std::ifstream file(std::string(PELLORA_SOURCE_DIR) + "/data/install/pellora-server.conf");
    ASSERT_TRUE(file.good());
    sample.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    ServerConfig sampled;
    EXPECT_TRUE(ApplyServerConfigText(sample, sampled, error)) << error;
}
