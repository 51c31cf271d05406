#include "app/CommandLine.h"

#include "net/NetAddresses.h"
#include "net/NetProtocol.h"

#include <cstring>

#ifndef PELLORA_VERSION
#define PELLORA_VERSION "unknown"
#endif

StartOptions ParseCommandLine(int argc, const char* const* argv) {
    StartOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--window") == 0) {
            options.fullscreen = false;
        } else if (std::strcmp(option, "--fullscreen") == 0) {
            options.fullscreen = true;
        } else if (std::strcmp(option, "--server") == 0) {
            // Checked for its form now; a name is looked up when a screen needs the server.
            NetAddressText parsed;
            ENetAddressFault fault = ENetAddressFault::None;
            if (i + 1 >= argc || !ParseNetAddress(argv[i + 1], kDefaultNetPort, parsed, fault)) {
                options.action = StartAction::BadOption;
                options.badOption = i + 1 >= argc ? std::string("--server (it needs HOST[:PORT])")
                                                  : std::string("--server ") + argv[i + 1] + " (" +
                                                        NetAddressFaultName(fault) + ")";
                return options;
            }
            options.server = argv[++i];
        } else if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            options.action = StartAction::ShowHelp;
            return options;
        } else if (std::strcmp(option, "--version") == 0) {
            options.action = StartAction::ShowVersion;
            return options;
        } else {
            options.action = StartAction::BadOption;
            options.badOption = option;
            return options;
        }
    }
    return options;
}

std::string UsageText() {
    return "Usage: pellora [OPTION]...\n"
           "Aim the launcher, fire coloured balls and clear the field.\n"
           "\n"
           "  --window      start in a window\n"
           "  --fullscreen  start in full screen (the default)\n"
           "  --server HOST[:PORT]\n"
           "                use this pellora-server to list and relay network matches for\n"
           "                this run (the options' choice otherwise; port 27960 if none given)\n"
           "  --help        show this help and exit\n"
           "  --version     show the version and exit\n"
           "\n"
           "Alt+Enter switches between full screen and a window while playing.\n"
           "An installed Pellora keeps each player's files in $XDG_DATA_HOME/pellora\n"
           "(~/.local/share/pellora when it is not set).\n";
}

std::string VersionText() {
    return std::string("Pellora ") + PELLORA_VERSION;
}
