#pragma once
// What the net room's ENet users share: the library, started with its first user and
// stopped with its last, and Pellora's own datagrams on an ENet host's socket, beside ENet's connections: the local
// network's discovery (net/LobbyProtocol.h). A host whose handler is set hands every
// datagram that starts with the discovery magic to it instead of to ENet; everything else
// goes on to ENet as before. Used by the net room's own sources only (it includes ENet).
#include <enet/enet.h>

#include <cstddef>
#include <cstdint>
#include <functional>

// ENet is started with the first user (a session, a finder, a server list) and stopped
// with the last; false (logged) when it cannot start.
bool AcquireEnet();
void ReleaseEnet();

using DatagramHandler = std::function<void(const ENetAddress& from, const uint8_t* data, size_t size)>;

// Sets (or, with an empty handler, clears) the handler of host's discovery datagrams.
void SetDatagramHandler(ENetHost* host, DatagramHandler handler);
// Sends one datagram from host's socket; false when the system refused it.
bool SendDatagram(ENetHost* host, const ENetAddress& to, const uint8_t* data, size_t size);
