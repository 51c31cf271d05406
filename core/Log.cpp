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

namespace {
// The length of the UTF-8 sequence a line holds at text (1 to 4), or 0 when the bytes there
// are no well-formed sequence (a stray continuation, an overlong form, a surrogate, past
// U+10FFFF, cut short).
int Utf8SequenceLength(const unsigned char* text) {
    const unsigned char lead = text[0];
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;   // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text[1] < low || text[1] > high) {
        return 0;
    }
    for (int i = 2; i < length; ++i) {
        if (text[i] < 0x80 || text[i] > 0xBF) {
            return 0;
        }
    }
    return length;
}
}  // namespace

void EscapeLogLine(const char* line, char* out, size_t capacity) {
    if (capacity == 0) {
        return;
    }
    const auto* text = reinterpret_cast<const unsigned char*>(line);
    size_t used = 0;
    while (*text != '\0') {
        int length = 1;
        bool escaped = *text < 0x20 || *text == 0x7F;
        if (*text >= 0x80) {
            length = Utf8SequenceLength(text);
            // U+0080..U+009F are control codes too, whichever way they are written.
            escaped = length == 0 || (text[0] == 0xC2 && text[1] < 0xA0);
            length = length == 0 || escaped ? 1 : length;
        }
        const size_t needed = escaped ? 4 : static_cast<size_t>(length);
        if (used + needed >= capacity) {
            break;
        }
        if (escaped) {
            std::snprintf(out + used, 5, "\\x%02X", *text);
        } else {
            std::memcpy(out + used, text, needed);
        }
        used += needed;
        text += length;
    }
    out[used] = '\0';
}

void CLog::Write(const char* format, ...) {
    const bool failure = std::strstr(format, "FAILED") != nullptr;
    if (!IsEnabled() && !(failure && m_errors != nullptr)) {
        return;
    }
    char written[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(written, sizeof(written), format, args);
    va_end(args);
    // What a line carries from outside (a name from the network, a file name) may hold any
    // bytes: the file and the terminal get valid UTF-8 without control codes.
    char line[1024];
    EscapeLogLine(written, line, sizeof(line));

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
