// Asks a pellora-server on 127.0.0.1 for its list, as a joiner's game does, and prints how
// many matches it lists. Exits 0 when it got a list, 1 when it got none in ten seconds.
#include "net/LobbyClient.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: server_probe PORT\n");
        return 2;
    }
    CLobbyClient client;
    if (!client.Start("127.0.0.1", static_cast<uint16_t>(std::atoi(argv[1])))) {
        return 1;
    }
    for (int i = 0; i < 10000 && client.State() == ELobbyClientState::Connecting; ++i) {
        client.Service();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (client.State() != ELobbyClientState::Listed) {
        std::fprintf(stderr, "server_probe: no list (%s)\n", LobbyClientFaultName(client.Fault()));
        return 1;
    }
    std::printf("listed %u\n", client.List().count);
    return 0;
}
