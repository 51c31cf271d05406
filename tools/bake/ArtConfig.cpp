#include "tools/bake/ArtConfig.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

void BakeFail(const std::string& message) {
    std::fprintf(stderr, "pellora-bake: %s\n", message.c_str());
    std::exit(1);
}

float ParseNumber(const std::string& text, const std::string& where) {
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (text.empty() || end == nullptr || *end != '\0') {
        BakeFail(where + ": not a number: '" + text + "'");
    }
    return value;
}

namespace {
// '#' starts a comment at the start of a line or when a blank follows it; "#ff8800"
// is a colour value.
void StripComment(std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first != std::string::npos && text[first] == '#') {
        text.clear();
        return;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const bool blankAfter = i + 1 == text.size() || text[i + 1] == ' ' || text[i + 1] == '\t';
        if (text[i] == '#' && blankAfter) {
            text.erase(i);
            return;
        }
    }
}
}  // namespace

bool CArtConfig::Load(const std::string& path) {
    m_path = path;
    m_records.clear();
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "pellora-bake: cannot read %s\n", path.c_str());
        return false;
    }
    std::string text;
    int lineNumber = 0;
    while (std::getline(in, text)) {
        ++lineNumber;
        StripComment(text);
        std::istringstream words(text);
        ArtRecord record;
        record.line = lineNumber;
        if (!(words >> record.kind)) {
            continue;
        }
        std::string word;
        while (words >> word) {
            record.values.push_back(word);
        }
        m_records.push_back(std::move(record));
    }
    return true;
}

std::vector<const ArtRecord*> CArtConfig::All(const std::string& kind) const {
    std::vector<const ArtRecord*> found;
    for (const ArtRecord& record : m_records) {
        if (record.kind == kind) {
            found.push_back(&record);
        }
    }
    return found;
}

const ArtRecord* CArtConfig::Find(const std::string& kind, const std::string& firstValue) const {
    for (const ArtRecord& record : m_records) {
        if (record.kind == kind && !record.values.empty() && record.values[0] == firstValue) {
            return &record;
        }
    }
    return nullptr;
}

float CArtConfig::Number(const std::string& name) const {
    const ArtRecord* record = Find("value", name);
    if (record == nullptr || record->values.size() != 2) {
        BakeFail(m_path + ": missing 'value " + name + " <number>'");
    }
    return ParseNumber(record->values[1], m_path + ":" + std::to_string(record->line));
}

Rgba CArtConfig::Colour(const std::string& name) const {
    const ArtRecord* record = Find("colour", name);
    Rgba colour;
    if (record == nullptr || record->values.size() != 2 || !ParseHexColour(record->values[1].c_str(), colour)) {
        BakeFail(m_path + ": missing or bad 'colour " + name + " <#rrggbb>'");
    }
    return colour;
}
