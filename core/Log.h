#pragma once
// The development log "log.dat": one line per notable event, appended to the file of
// earlier runs. Logging is switched off at the start of every normal run.
#include <cstdio>
#include <string>
#include <vector>

class CLog {
public:
    static CLog& Get();

    // One printf-style line; cut to 1023 characters. Does nothing while disabled.
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }

    // Tests collect the written lines here (in addition to the file); null stops it.
    void SetCapture(std::vector<std::string>* lines) { m_capture = lines; }

private:
    CLog();
    ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    FILE* m_file = nullptr;
    char m_fileName[64] = "log.dat";
    bool m_enabled = true;
    std::vector<std::string>* m_capture = nullptr;
};
