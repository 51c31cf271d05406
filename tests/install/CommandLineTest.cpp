// Pellora's command line: the window choice, help, version and refused options.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

StartOptions Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "pellora");
    return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

TEST(CommandLineTest, OptionsChooseTheActionAndTheWindow) {
    struct Case {
        std::vector<const char*> arguments;
        StartAction action;
        bool fullscreen;
        const char* badOption;
    };
    const Case cases[] = {
        {{}, StartAction::Play, true, ""},
        {{"--window"}, StartAction::Play, false, ""},
        {{"--fullscreen"}, StartAction::Play, true, ""},
        {{"--window", "--fullscreen"}, StartAction::Play, true, ""},
        {{"--fullscreen", "--window"}, StartAction::Play, false, ""},
        {{"--help"}, StartAction::ShowHelp, true, ""},
        {{"-h"}, StartAction::ShowHelp, true, ""},
        {{"--window", "--version"}, StartAction::ShowVersion, false, ""},
        {{"--windowed"}, StartAction::BadOption, true, "--windowed"},
        {{"--window", "-x", "--help"}, StartAction::BadOption, false, "-x"},
        {{"level.lvl"}, StartAction::BadOption, true, "level.lvl"},
        {{""}, StartAction::BadOption, true, ""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const char* argument : c.arguments) {
            line += std::string(" ") + argument;
        }
        SCOPED_TRACE("pellora" + line);
        const StartOptions options = Parse(c.arguments);
        EXPECT_EQ(options.action, c.action);
        EXPECT_EQ(options.fullscreen, c.fullscreen);
        EXPECT_EQ(options.badOption, c.badOption);
    }
}

TEST(CommandLineTest, UsageNamesEveryOptionAndVersionTheProgram) {
    const std::string usage = UsageText();
    for (const char* option : {"--window", "--fullscreen", "--server", "--help", "--version"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(usage.rfind("Usage: pellora", 0), 0u);
    EXPECT_EQ(VersionText(), "Pellora " PELLORA_EXPECTED_VERSION);
    EXPECT_EQ(kExitBadOption, 2);
}

// --server names this run's pellora-server; its form is checked at once, a name is not
// looked up until a screen needs it.
TEST(CommandLineTest, ServerTakesAHostAndAnOptionalPort) {
    struct Case {
        std::vector<const char*> arguments;
        StartAction action;
        const char* server;
        const char* badOption;
    };
    const Case cases[] = {
        {{"--server", "lobby.example.org"}, StartAction::Play, "lobby.example.org", ""},
        {{"--server", "127.0.0.1:4000", "--window"}, StartAction::Play, "127.0.0.1:4000", ""},
        {{"--server", "a", "--server", "b:2"}, StartAction::Play, "b:2", ""},
        {{"--server"}, StartAction::BadOption, "", "--server (it needs HOST[:PORT])"},
        {{"--server", "127.0.0.1:0"}, StartAction::BadOption, "", "--server 127.0.0.1:0 (bad port)"},
        {{"--server", "::1"}, StartAction::BadOption, "", "--server ::1 (an IPv6 address (IPv4 only))"},
        {{"--server", "a b"}, StartAction::BadOption, "", "--server a b (not an address)"},
    };
    for (const Case& c : cases) {
        const StartOptions options = Parse(c.arguments);
        EXPECT_EQ(options.action, c.action) << c.badOption;
        EXPECT_EQ(options.server, c.server);
        EXPECT_EQ(options.badOption, c.badOption);
    }
}

}  // namespace
