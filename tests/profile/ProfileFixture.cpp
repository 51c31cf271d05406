#include "tests/profile/ProfileFixture.h"

#include "core/Log.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "resources/FileManager.h"

#include <cstring>

void CProfileTest::SetUp() {
    ASSERT_FALSE(m_temp.Path().empty());
    CFileManager::Get().UnmountAll();
    CFileManager::Get().MountFileSystem(m_temp.Path());
    CLog::Get().SetEnabled(true);
    CLog::Get().SetCapture(&m_log);
    ClearPlayers();
    CLanguage::Get().Load();  // no "language.dat" yet: nothing chosen
    m_log.clear();
}

void CProfileTest::TearDown() {
    ClearPlayers();
    CLog::Get().SetCapture(nullptr);
    CFileManager::Get().UnmountAll();
    CLanguage::Get().Load();  // back to nothing chosen for the next test
}

bool CProfileTest::LogHas(const std::string& text) const {
    for (const std::string& line : m_log) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

uint32_t Le32At(const Bytes& bytes, size_t offset) {
    if (offset + 4 > bytes.size()) {
        ADD_FAILURE() << "no 4 bytes at " << offset << " of " << bytes.size();
        return 0;
    }
    return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes[offset + 2]) << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

void PutLe32(Bytes& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

std::string TextAt(const Bytes& bytes, size_t offset, size_t maxLength) {
    std::string text;
    for (size_t i = offset; i < bytes.size() && i < offset + maxLength && bytes[i] != 0; ++i) {
        text.push_back(static_cast<char>(bytes[i]));
    }
    return text;
}
