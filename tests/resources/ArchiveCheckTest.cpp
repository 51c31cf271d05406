// The start-up check of the data archives against the CRC registers of this build.
#include "resources/ArchiveCheck.h"
#include "core/Log.h"
#include "resources/Crc32.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ArchiveCheckTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_temp.Path().empty());
        CLog::Get().SetEnabled(true);
        CLog::Get().SetCapture(&m_log);
    }
    void TearDown() override { CLog::Get().SetCapture(nullptr); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string path = m_temp / name;
        EXPECT_TRUE(WriteFileBytes(path, bytes)) << name;
        return path;
    }

    CTempFolder m_temp;
    std::vector<std::string> m_log;
};

const std::vector<uint8_t> kArchiveBytes = {'P', 'K', 3, 4, 10, 0, 0, 0, 'g', 'f', 'x', 0, 0xFF, 0x80};

// The register bit by bit, straight from the polynomial.
uint32_t BitwiseRegister(uint32_t reg, const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        reg ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            reg = (reg & 1u) ? (0xEDB88320u ^ (reg >> 1)) : (reg >> 1);
        }
    }
    return reg;
}

TEST(Crc32Test, WordAtATimeGivesTheBitwiseValueForEveryLengthStartAndSplit) {
    std::vector<uint8_t> bytes(200);
    uint32_t seed = 12345;
    for (uint8_t& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    for (size_t start = 0; start < 8; ++start) {
        for (size_t length = 0; start + length <= bytes.size(); ++length) {
            const uint8_t* data = bytes.data() + start;
            ASSERT_EQ(Crc32Register(data, length), BitwiseRegister(0xFFFFFFFFu, data, length))
                << "start " << start << ", length " << length;
        }
    }
    // Fed in two pieces, any split gives the same register.
    for (size_t split = 0; split <= 40; ++split) {
        const uint32_t first = Crc32Update(0xFFFFFFFFu, bytes.data(), split);
        EXPECT_EQ(Crc32Update(first, bytes.data() + split, 40 - split), BitwiseRegister(0xFFFFFFFFu, bytes.data(), 40));
    }
    const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc32(check, sizeof(check)), 0xCBF43926u);
}

TEST_F(ArchiveCheckTest, RegisterIsTheUninvertedCrcOfTheWholeFile) {
    const std::string path = Write("a.nuf", {'1', '2', '3', '4', '5', '6', '7', '8', '9'});
    // The usual CRC-32 of "123456789" is 0xCBF43926; the register is its complement.
    EXPECT_EQ(ArchiveCrcRegister(path.c_str()), ~0xCBF43926u);
    EXPECT_EQ(ArchiveCrcRegister(Write("empty.nuf", {}).c_str()), 0xFFFFFFFFu);
    EXPECT_EQ(ArchiveCrcRegister((m_temp / "missing.nuf").c_str()), 0xFFFFFFFFu);
}

TEST_F(ArchiveCheckTest, PresentArchivesMustMatchAndMissingOnesAreSkipped) {
    const uint32_t good = Crc32Register(kArchiveBytes.data(), kArchiveBytes.size());
    std::vector<uint8_t> changed = kArchiveBytes;
    changed[9] ^= 0x01;
    const std::string goodPath = Write("gfx.nuf", kArchiveBytes);
    const std::string changedPath = Write("levels.nuf", changed);
    const std::string emptyPath = Write("sound.nuf", {});
    const std::string missingPath = m_temp / "nothing.nuf";

    struct Case {
        const char* label;
        std::vector<ArchiveExpectation> archives;
        bool passes;
    };
    const Case cases[] = {
        {"matching", {{goodPath.c_str(), good}}, true},
        {"missing is skipped", {{missingPath.c_str(), good}, {goodPath.c_str(), good}}, true},
        {"one changed byte", {{goodPath.c_str(), good}, {changedPath.c_str(), good}}, false},
        {"empty file", {{emptyPath.c_str(), 0}}, false},
        {"wrong expectation", {{goodPath.c_str(), good ^ 1u}}, false},
        {"nothing to check", {}, true},
    };
    for (const Case& test : cases) {
        m_log.clear();
        EXPECT_EQ(CheckArchives(test.archives.data(), test.archives.size()), test.passes) << test.label;
        EXPECT_EQ(m_log.size(), test.passes ? 0u : 1u) << test.label;
    }
}

TEST_F(ArchiveCheckTest, TheFirstMismatchEndsTheCheckAndIsNamed) {
    std::vector<uint8_t> changed = kArchiveBytes;
    changed[0] = 'Q';
    const std::string first = Write("first.nuf", changed);
    const std::string second = Write("second.nuf", changed);
    const ArchiveExpectation archives[] = {{first.c_str(), 1}, {second.c_str(), 2}};
    EXPECT_FALSE(CheckArchives(archives, 2));
    ASSERT_EQ(m_log.size(), 1u);
    EXPECT_NE(m_log[0].find("first.nuf"), std::string::npos) << m_log[0];
    EXPECT_EQ(m_log[0].rfind("CheckArchives FAILED", 0), 0u) << m_log[0];
    // The start-up names the damaged archive to the player: the first mismatch is returned.
    EXPECT_EQ(FindDamagedArchive(archives, 2), &archives[0]);
    const std::string good = Write("good.nuf", kArchiveBytes);
    const ArchiveExpectation goodFirst[] = {{good.c_str(), Crc32Register(kArchiveBytes.data(), kArchiveBytes.size())},
                                            {second.c_str(), 2}};
    EXPECT_EQ(FindDamagedArchive(goodFirst, 2), &goodFirst[1]);
    EXPECT_EQ(FindDamagedArchive(goodFirst, 1), nullptr);
}
}  // namespace
