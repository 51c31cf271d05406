#pragma once
// Files for the tests and the fuzz seed maker: a temporary folder that takes everything
// in it away again, and whole files as bytes. Plain C++, no test framework, so a failed
// write or a missing file is a result for the caller to check.
#include <cstdint>
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
