// pellora-server: the lobby and relay of Pellora's network matches, headless.
#include "server/LobbyService.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"

#include "core/Log.h"

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {
std::atomic<bool> s_stop{false};

void OnSignal(int) { s_stop = true; }
}  // namespace

int main(int argc, char** argv) {
    const ServerCommand command = ParseServerCommandLine(argc, argv);
    switch (command.action) {
        case EServerAction::ShowHelp: std::fputs(ServerUsageText().c_str(), stdout); return 0;
        case EServerAction::ShowVersion: std::printf("%s\n", ServerVersionText().c_str()); return 0;
        case EServerAction::Bad:
            std::fprintf(stderr, "pellora-server: %s\n\n%s", command.error.c_str(), ServerUsageText().c_str());
            return kServerExitBadOption;
        case EServerAction::Run: break;
    }
    // No log file in whatever folder the service runs in: its lines go to stderr.
    CLog::Get().SetEnabled(false);
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    ServerLog("%s starting%s%s", ServerVersionText().c_str(), command.config.configFile.empty() ? "" : " with ",
              command.config.configFile.c_str());
    CLobbyService lobby(command.config.lobby);
    return RunServices({&lobby}, s_stop);
}
