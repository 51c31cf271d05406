#include "tests/resources/ResourcesFixtures.h"

#include "core/Log.h"
#include "resources/FileManager.h"

Bytes MakeGradient(int width, int height) {
    Bytes pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(static_cast<uint8_t>(40 + x * 160 / width));
            pixels.push_back(static_cast<uint8_t>(30 + y * 180 / height));
            pixels.push_back(static_cast<uint8_t>(200 - (x + y) * 100 / (width + height)));
        }
    }
    return pixels;
}

void CResourcesTest::SetUp() {
    ASSERT_FALSE(m_temp.Path().empty());
    CFileManager::Get().UnmountAll();
    CLog::Get().SetEnabled(true);
    CLog::Get().SetCapture(&m_log);
}

void CResourcesTest::TearDown() {
    CFileManager::Get().UnmountAll();
    CLog::Get().SetCapture(nullptr);
}

bool CResourcesTest::LogHas(const std::string& text) const {
    for (const std::string& line : m_log) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}
