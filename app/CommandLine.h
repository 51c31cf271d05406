#pragma once
// Pellora's command line: --help, --version, --window, --fullscreen, --server HOST[:PORT].
#include <string>

enum class StartAction {
    Play,
    ShowHelp,
    ShowVersion,
    BadOption,  // the usage goes to stderr and the program exits with kExitBadOption
};

constexpr int kExitBadOption = 2;

struct StartOptions {
    StartAction action = StartAction::Play;
    bool fullscreen = true;  // the last of --window and --fullscreen wins
    std::string badOption;   // the first option that was not understood (with why, for a bad value)
    std::string server;      // --server: the pellora-server of this run, as given
};

StartOptions ParseCommandLine(int argc, const char* const* argv);
// The text of --help (and, after the complaint, of a bad option).
std::string UsageText();
// "Pellora <version>".
std::string VersionText();
