#pragma once
// A fresh data folder mounted as the only file system, the log captured, no players and
// no language chosen; everything is put back afterwards.
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class CProfileTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string DataPath(const std::string& name) const { return m_temp / name; }
    Bytes ReadData(const std::string& name) const { return ReadFileBytes(DataPath(name)); }
    void WriteData(const std::string& name, const Bytes& bytes) const {
        ASSERT_TRUE(WriteFileBytes(DataPath(name), bytes));
    }
    bool LogHas(const std::string& text) const;

    CTempFolder m_temp;
    std::vector<std::string> m_log;
};

uint32_t Le32At(const Bytes& bytes, size_t offset);
void PutLe32(Bytes& bytes, uint32_t value);
// The text stored at offset (up to its NUL, at most maxLength bytes).
std::string TextAt(const Bytes& bytes, size_t offset, size_t maxLength);
