#include "server/ServerLog.h"

#include "core/Log.h"
#include "net/NetProtocol.h"

#include <cstdarg>
#include <mutex>

namespace {
std::mutex s_mutex;
FILE* s_stream = stderr;
uint64_t s_windowStartMs = 0;
uint32_t s_linesInWindow = 0;
uint64_t s_untold = 0;

}  // namespace

void SetServerLogStream(FILE* stream) {
    const std::lock_guard<std::mutex> lock(s_mutex);
    s_stream = stream;
}

void ServerLog(const char* format, ...) {
    const std::lock_guard<std::mutex> lock(s_mutex);
    if (s_stream == nullptr) {
        return;
    }
    const uint64_t now = NetSteadyMs();
    if (now - s_windowStartMs >= kLogWindowMs) {
        if (s_untold > 0) {
            std::fprintf(s_stream, "pellora-server: %llu more lines not told\n", static_cast<unsigned long long>(s_untold));
        }
        s_windowStartMs = now;
        s_linesInWindow = 0;
        s_untold = 0;
    }
    if (s_linesInWindow >= kLogBurst) {
        ++s_untold;
        return;
    }
    ++s_linesInWindow;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    // A peer's texts (names) reach the log escaped, so they cannot forge lines.
    char escaped[1024];
    EscapeLogLine(line, escaped, sizeof escaped);
    std::fprintf(s_stream, "pellora-server: %s\n", escaped);
    std::fflush(s_stream);
}
