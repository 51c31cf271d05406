#pragma once
// Writes a zip archive of stored (uncompressed) entries without extra fields, with a
// fixed time stamp so that the same entries always give the same bytes.
#include "tools/bake/Bake.h"

std::vector<uint8_t> WriteStoredZip(const BakedFiles& files);
