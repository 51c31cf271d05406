#pragma once
// Reading and writing the small stored files of the profile room through the file
// manager (so they live in the data folder).
#include <cstdint>
#include <string>
#include <vector>

enum class EStoredRead {
    Read,       // out holds the file's first bytes (at most maxBytes)
    Missing,    // no such file
    Failed,     // the file exists but could not be opened or read
};

// Reads at most maxBytes from the start of name, never more, however large the file is.
// A file that exists but cannot be read (no permission, not a regular file) is Failed and
// is never written over afterwards.
EStoredRead ReadStoredFile(const std::string& name, uint32_t maxBytes, std::vector<uint8_t>& out);
// The file was read but had to be repaired: its original is kept as name + ".bad" before
// it is first replaced.
void MarkStoredFileDamaged(const std::string& name);
// Creates or replaces name with bytes; false when any of it did not reach the disk.
bool WriteStoredFile(const std::string& name, const std::vector<uint8_t>& bytes);
