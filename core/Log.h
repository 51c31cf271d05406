#pragma once
// The development log "log.dat": one line per notable event, appended to the file of
// earlier runs. Logging is switched off at the start of every normal run, but a failure
// (a line with "FAILED") still reaches the person at the terminal: it is also written as
// one line "pellora: <line>" to stderr, once per distinct line, so a failure repeated
// every frame does not flood it. PELLORA_LOG=debug in the environment keeps the log on
// whatever the program asks and copies every line to stderr.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Copies a log line into out (capacity bytes, NUL included) as valid UTF-8 without control
// codes: a control code (C0, DEL, or C1 written in UTF-8) and any byte that is no part of a
// well-formed UTF-8 sequence (a Windows-1252 letter, say) become "\xHH". Cut short, never
// inside an escape or a sequence.
void EscapeLogLine(const char* line, char* out, size_t capacity);

class CLog {
public:
    static CLog& Get();

    // One printf-style line; cut to 1023 characters. Goes to log.dat unless disabled.
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled || m_detail; }

    // Every line also to stderr, and the log on even while disabled.
    void SetDetail(bool detail) { m_detail = detail; }
    bool IsDetail() const { return m_detail; }
    // Whether a PELLORA_LOG value asks for the detail ("debug", any case).
    static bool DetailWanted(const char* value);
    // Where failures (and with detail every line) are told; stderr unless changed, null
    // for nowhere (the fuzz targets). Forgets which failures were told already.
    void SetErrorStream(FILE* stream);

    // Tests collect the written lines here (in addition to the file); null stops it.
    void SetCapture(std::vector<std::string>* lines) { m_capture = lines; }

private:
    CLog();
    ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // True the first time this failure line is seen (a bounded memory of told lines).
    bool FirstTimeTold(const char* line);

    static constexpr int kToldMemory = 256;

    FILE* m_file = nullptr;
    char m_fileName[64] = "log.dat";
    bool m_enabled = true;
    bool m_detail = false;
    FILE* m_errors = stderr;
    uint64_t m_told[kToldMemory] = {};
    int m_toldCount = 0;
    std::vector<std::string>* m_capture = nullptr;
};
