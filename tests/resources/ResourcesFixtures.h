#pragma once
// Fixtures of the resource tests: the shared temporary folder, file and format makers,
// a smooth picture, and a test base with nothing mounted and the log captured.
#include "tests/support/FormatMakers.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A smooth colour picture, 3 bytes per pixel, top row first.
Bytes MakeGradient(int width, int height);

// Every resource test starts and ends with nothing mounted and captures the log.
class CResourcesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    bool LogHas(const std::string& text) const;

    CTempFolder m_temp;
    std::vector<std::string> m_log;
};
