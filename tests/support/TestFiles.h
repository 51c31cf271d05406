#pragma once
// Files for the tests and the fuzz seed maker: a temporary folder that takes everything
// in it away again, and whole files as bytes. Plain C++, no test framework, so a failed
// write or a missing file is a result for the caller to check.
#include <sys/resource.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

Bytes BytesOf(const std::string& text);

// Creates or replaces the file; false when it cannot be opened or not every byte is written.
[[nodiscard]] bool WriteFileBytes(const std::string& path, const Bytes& bytes);
// The whole file; empty when the file cannot be read.
Bytes ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);
// Names in a folder, sorted.
std::vector<std::string> ListFolder(const std::string& path);

// A fresh folder under the system's temporary folder, removed with everything in it.
// Path() is empty when the folder could not be made.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A real write failure: the process may write at most limit bytes into any one file (the
// system then answers "file too large" as a full disk would answer "no space").
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t limit);
    ~CFileSizeLimit();
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;
    bool Applied() const { return m_applied; }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
    bool m_applied = false;
};

// Runs body in a child process as a user without the rights of root (the user "nobody"
// when the tests run as root), so that folder permissions hold; the child's exit status
// is body's result, or -1 when the child could not be started or changed.
int RunAsPlainUser(const std::function<int()>& body);
// Gives path and everything in it to the plain user's view: readable and enterable by
// all, writable by none (mode 0555 for folders, 0444 for files).
bool MakeReadOnlyForAll(const std::string& path);
