#pragma once
// Reading and writing the small stored files of the profile room through the file
// manager (so they live in the data folder).
#include "resources/ByteRecord.h"
#include "resources/Crc32.h"

#include <cstddef>
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

// The head of a stored list of numbered entries (the replay index, the replays list): its
// magic, its version, how many entries follow, and the next number it gives. The entries
// of fixed size follow it, then a CRC-32 of everything before.
struct StoredListHead {
    char magic[4] = {};
    uint32_t version = 0;
    uint32_t count = 0;
    uint32_t nextSequence = 1;
};
constexpr size_t kStoredListHeadBytes = 16;

template <typename Fields, typename Head>
void TransferListHead(Fields& fields, Head& head) {
    fields.Chars(head.magic);
    fields.U32(head.version);
    fields.U32(head.count);
    fields.U32(head.nextSequence);
}

// Reads the head of a list's bytes and checks the frame: the magic, the version, a size
// that holds count entries of entryBytes (at most maxCount) and the CRC. Null when the list
// may be read on; otherwise why not.
const char* CheckStoredList(const std::vector<uint8_t>& bytes, const char (&magic)[5], uint32_t version,
                            uint32_t maxCount, size_t entryBytes, StoredListHead& head);

// The bytes of a list: its head, each entry as transfer(fields, entry) writes it, the CRC.
template <typename Entries, typename Transfer>
std::vector<uint8_t> EncodeStoredList(const char (&magic)[5], uint32_t version, uint32_t nextSequence,
                                      const Entries& entries, Transfer transfer) {
    std::vector<uint8_t> bytes;
    CByteWriter writer(bytes);
    CFieldWriter fields(writer);
    StoredListHead head;
    for (size_t i = 0; i < 4; ++i) {
        head.magic[i] = magic[i];
    }
    head.version = version;
    head.count = static_cast<uint32_t>(entries.size());
    head.nextSequence = nextSequence;
    TransferListHead(fields, static_cast<const StoredListHead&>(head));
    for (const auto& entry : entries) {
        transfer(fields, entry);
    }
    writer.U32(Crc32(bytes.data(), bytes.size()));
    return bytes;
}
