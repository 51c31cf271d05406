#pragma once
// The artist-editable parameter files of data/art: plain text, one record per line,
// words separated by blanks, '#' starts a comment. The first word names the record
// ("ball", "texture", "colour", ...), the rest are its values.
#include "tools/bake/Raster.h"

#include <string>
#include <vector>

struct ArtRecord {
    std::string kind;
    std::vector<std::string> values;
    int line = 0;
};

class CArtConfig {
public:
    // Reads one file; false (with a message on stderr) if it cannot be read.
    bool Load(const std::string& path);

    const std::vector<ArtRecord>& Records() const { return m_records; }
    std::vector<const ArtRecord*> All(const std::string& kind) const;
    const ArtRecord* Find(const std::string& kind, const std::string& firstValue) const;

    // Named values of "value <name> <number>" and "colour <name> <hex>" records; the
    // baker stops with a message naming the file when one is missing or malformed.
    float Number(const std::string& name) const;
    Rgba Colour(const std::string& name) const;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::vector<ArtRecord> m_records;
};

// Stops the baker with a message: the data sources are broken.
[[noreturn]] void BakeFail(const std::string& message);
float ParseNumber(const std::string& text, const std::string& where);
