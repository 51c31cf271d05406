#pragma once
// The pellora-server the player chose in the options ("host" or "host:port", as typed),
// kept in "server.cfg" in the data folder; none (empty) until one is chosen.
#include <string>

constexpr size_t kMaxServerAddressLength = 64;

// The stored address; empty when none is chosen or the file is unreadable or damaged
// (logged; a damaged one is kept as "server.cfg.bad" once a new one is saved).
std::string LoadServerSetting();
// Stores the address (empty: none); false (logged) when it cannot be written or is no
// printable ASCII of at most kMaxServerAddressLength letters.
bool SaveServerSetting(const std::string& address);
