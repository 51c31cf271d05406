#pragma once
// A data folder of the fuzz run's own (in memory where the system offers it), mounted as
// the only file system, for targets that go through the real loaders.
#include <cstddef>
#include <cstdint>
#include <string>

bool MountFuzzDataFolder();
// Replaces name in that folder with the bytes.
bool WriteFuzzDataFile(const std::string& name, const uint8_t* data, size_t size);
