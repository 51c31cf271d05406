#pragma once
// The server's log: one line per notable event on stderr ("pellora-server: ..."), where
// systemd's journal keeps it. A hostile client can make many events: past kLogBurst lines in
// kLogWindowMs the rest are only counted, and the count is told once the window ends.
#include <cstdint>
#include <cstdio>

constexpr uint32_t kLogBurst = 40;
constexpr uint64_t kLogWindowMs = 10000;

void ServerLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Where the lines go (stderr unless changed; null for nowhere, as the fuzz target wants).
void SetServerLogStream(FILE* stream);
