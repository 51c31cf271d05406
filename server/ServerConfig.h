#pragma once
// pellora-server's settings: from its configuration file (--config FILE, lines of
// "name = value", '#' starts a comment) and its command line, where every setting is also an
// option "--name VALUE"; the command line wins over the file. Every value is checked
// against its range and a bad one is refused with the line or option that gave it.
#include "server/LobbyService.h"

#include <string>

struct ServerConfig {
    LobbyServiceOptions lobby;
    std::string configFile;   // the file read, if any
};

enum class EServerAction {
    Run,
    ShowHelp,
    ShowVersion,
    Bad,   // error says why; the program prints it with the usage and exits with 2
};

struct ServerCommand {
    EServerAction action = EServerAction::Run;
    ServerConfig config;
    std::string error;
};

constexpr int kServerExitBadOption = 2;

ServerCommand ParseServerCommandLine(int argc, const char* const* argv);
// Applies a configuration file's text; false with the first fault ("line 3: ...").
bool ApplyServerConfigText(const std::string& text, ServerConfig& config, std::string& error);
std::string ServerUsageText();
std::string ServerVersionText();
