#include "tools/bake/ZipWriter.h"

#include "resources/Crc32.h"

namespace {
constexpr uint16_t kDosTime = 0;                              // 00:00:00
constexpr uint16_t kDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1;  // 2026-01-01

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v));
    Put16(out, static_cast<uint16_t>(v >> 16));
}
void PutName(std::vector<uint8_t>& out, const std::string& name) {
    out.insert(out.end(), name.begin(), name.end());
}
}  // namespace

std::vector<uint8_t> WriteStoredZip(const BakedFiles& files) {
    std::vector<uint8_t> out;
    std::vector<uint32_t> headerOffsets;
    std::vector<uint32_t> crcs;
    for (const BakedFile& file : files) {
        const uint32_t crc = Crc32(file.bytes.data(), file.bytes.size());
        const uint32_t size = static_cast<uint32_t>(file.bytes.size());
        headerOffsets.push_back(static_cast<uint32_t>(out.size()));
        crcs.push_back(crc);
        Put32(out, 0x04034B50u);
        Put16(out, 10);  // version needed
        Put16(out, 0);   // flags
        Put16(out, 0);   // method: stored
        Put16(out, kDosTime);
        Put16(out, kDosDate);
        Put32(out, crc);
        Put32(out, size);
        Put32(out, size);
        Put16(out, static_cast<uint16_t>(file.name.size()));
        Put16(out, 0);   // no extra field
        PutName(out, file.name);
        out.insert(out.end(), file.bytes.begin(), file.bytes.end());
    }
    const uint32_t directoryStart = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const BakedFile& file = files[i];
        const uint32_t size = static_cast<uint32_t>(file.bytes.size());
        Put32(out, 0x02014B50u);
        Put16(out, 20);  // version made by
        Put16(out, 10);  // version needed
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, kDosTime);
        Put16(out, kDosDate);
        Put32(out, crcs[i]);
        Put32(out, size);
        Put32(out, size);
        Put16(out, static_cast<uint16_t>(file.name.size()));
        Put16(out, 0);   // extra
        Put16(out, 0);   // comment
        Put16(out, 0);   // disk
        Put16(out, 0);   // internal attributes
        Put32(out, 0);   // external attributes
        Put32(out, headerOffsets[i]);
        PutName(out, file.name);
    }
    const uint32_t directorySize = static_cast<uint32_t>(out.size()) - directoryStart;
    Put32(out, 0x06054B50u);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint16_t>(files.size()));
    Put16(out, static_cast<uint16_t>(files.size()));
    Put32(out, directorySize);
    Put32(out, directoryStart);
    Put16(out, 0);
    return out;
}
