#include "core/Log.h"

#include <cstdarg>

CLog& CLog::Get() {
    static CLog log;
    return log;
}

CLog::CLog() {
    m_file = std::fopen(m_fileName, "ab");
}

CLog::~CLog() {
    if (m_file) {
        std::fclose(m_file);
    }
}

void CLog::Write(const char* format, ...) {
    if (!m_enabled) {
        return;
    }
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);

    if (m_capture) {
        m_capture->emplace_back(line);
    }
    if (m_file && !std::ferror(m_file)) {
        std::fputs(line, m_file);
        std::fputc('\n', m_file);
        std::fflush(m_file);
    }
}
