#include "core/Log.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string_view>

CLog& CLog::Get() {
    static CLog log;
    return log;
}

CLog::CLog() {
    m_file = std::fopen(m_fileName, "ab");
    m_detail = DetailWanted(std::getenv("PELLORA_LOG"));
}

CLog::~CLog() {
    if (m_file) {
        std::fclose(m_file);
    }
}

bool CLog::DetailWanted(const char* value) {
    return value != nullptr && strcasecmp(value, "debug") == 0;
}

void CLog::SetErrorStream(FILE* stream) {
    m_errors = stream;
    m_toldCount = 0;
}

bool CLog::FirstTimeTold(const char* line) {
    const uint64_t hash = std::hash<std::string_view>()(std::string_view(line));
    for (int i = 0; i < m_toldCount; ++i) {
        if (m_told[i] == hash) {
            return false;
        }
    }
    // A full memory keeps its oldest lines: a run with this many failures has said enough.
    if (m_toldCount == kToldMemory) {
        return false;
    }
    m_told[m_toldCount++] = hash;
    return true;
}

void CLog::Write(const char* format, ...) {
    const bool failure = std::strstr(format, "FAILED") != nullptr;
    if (!IsEnabled() && !(failure && m_errors != nullptr)) {
        return;
    }
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);

    if (m_errors != nullptr && (m_detail || (failure && FirstTimeTold(line)))) {
        std::fprintf(m_errors, "pellora: %s\n", line);
        std::fflush(m_errors);
    }
    if (!IsEnabled()) {
        return;
    }
    if (m_capture) {
        m_capture->emplace_back(line);
    }
    if (m_file && !std::ferror(m_file)) {
        std::fputs(line, m_file);
        std::fputc('\n', m_file);
        std::fflush(m_file);
    }
}
