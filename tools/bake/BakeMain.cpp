// pellora-bake <source-root> <data-folder> <crc-header>
// Generates every data file, packs gfx.nuf, sound.nuf and levels.nuf into the data
// folder and writes the header with the archives' CRC values for the start-up check.
// pellora-bake --icons <source-root> <icon-folder>
// Writes the desktop icons, <icon-folder>/<size>x<size>/pellora.png.
// pellora-bake --atlas-header <source-root> <header>
// Writes the table of the atlas regions (AtlasRegions.h) from data/art/atlas.txt, the
// plan the bake paints the atlas from.
// Files are rewritten only when their bytes change, so an unchanged bake rebuilds nothing.
#include "resources/Crc32.h"
#include "tools/bake/AtlasPlan.h"
#include "tools/bake/Bake.h"
#include "tools/bake/ZipWriter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

namespace {
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteIfChanged(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> old;
    if (ReadFileBytes(path, old) && old == bytes) {
        return true;
    }
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "pellora-bake: cannot write %s\n", temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "pellora-bake: cannot replace %s\n", path.c_str());
        return false;
    }
    return true;
}

bool HasUniqueNames(const BakedFiles& files, const char* archive) {
    std::set<std::string> names;
    for (const BakedFile& file : files) {
        if (!names.insert(file.name).second) {
            std::fprintf(stderr, "pellora-bake: %s holds %s twice\n", archive, file.name.c_str());
            return false;
        }
    }
    return true;
}

void Append(BakedFiles& to, BakedFiles from) {
    std::move(from.begin(), from.end(), std::back_inserter(to));
}

int WriteAtlasHeader(const std::string& sourceRoot, const std::string& headerPath) {
    CArtConfig atlas;
    CArtConfig textures;
    if (!atlas.Load(sourceRoot + "/data/art/atlas.txt") || !textures.Load(sourceRoot + "/data/art/textures.txt")) {
        return 1;
    }
    CAtlasPlan plan;
    plan.Read(atlas, textures);
    const std::string text = AtlasHeaderText(plan);
    return WriteIfChanged(headerPath, std::vector<uint8_t>(text.begin(), text.end())) ? 0 : 1;
}

int WriteIcons(const std::string& sourceRoot, const std::string& iconFolder) {
    BakeContext context;
    context.sourceRoot = sourceRoot;
    context.dataDir = sourceRoot + "/data";
    ::mkdir(iconFolder.c_str(), 0755);
    for (const BakedFile& icon : BakeIcons(context)) {
        const std::string path = iconFolder + "/" + icon.name;
        ::mkdir(path.substr(0, path.rfind('/')).c_str(), 0755);
        if (!WriteIfChanged(path, icon.bytes)) {
            return 1;
        }
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--atlas-header") {
        return WriteAtlasHeader(argv[2], argv[3]);
    }
    if (argc == 4 && std::string(argv[1]) == "--icons") {
        return WriteIcons(argv[2], argv[3]);
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: pellora-bake <source-root> <data-folder> <crc-header>\n"
                             "       pellora-bake --icons <source-root> <icon-folder>\n"
                             "       pellora-bake --atlas-header <source-root> <header>\n");
        return 2;
    }
    BakeContext context;
    context.sourceRoot = argv[1];
    context.dataDir = context.sourceRoot + "/data";
    const std::string outDir = argv[2];

    BakedFiles gfx = BakeGraphics(context);
    Append(gfx, BakeFonts(context));
    const BakedFiles sound = BakeSounds(context);
    const BakedFiles levels = BakeLevels(context);

    struct Archive {
        const char* name;
        const BakedFiles* files;
        uint32_t crc = 0;
    };
    Archive archives[] = {{"gfx.nuf", &gfx}, {"sound.nuf", &sound}, {"levels.nuf", &levels}};
    for (Archive& archive : archives) {
        if (!HasUniqueNames(*archive.files, archive.name)) {
            return 1;
        }
        if (archive.files->empty()) {
            std::fprintf(stderr, "pellora-bake: nothing was generated for %s\n", archive.name);
            return 1;
        }
        const std::vector<uint8_t> zip = WriteStoredZip(*archive.files);
        archive.crc = Crc32Register(zip.data(), zip.size());
        if (!WriteIfChanged(outDir + "/" + archive.name, zip)) {
            return 1;
        }
        std::printf("pellora-bake: %s, %zu files, %zu bytes\n", archive.name, archive.files->size(), zip.size());
    }

    char header[512];
    std::snprintf(header, sizeof(header),
                  "#pragma once\n"
                  "// Generated by pellora-bake: the CRC register of each archive of this build.\n"
                  "#include <cstdint>\n"
                  "constexpr uint32_t kArchiveCrcGfx = 0x%08XU;\n"
                  "constexpr uint32_t kArchiveCrcSound = 0x%08XU;\n"
                  "constexpr uint32_t kArchiveCrcLevels = 0x%08XU;\n",
                  archives[0].crc, archives[1].crc, archives[2].crc);
    const std::string text = header;
    return WriteIfChanged(argv[3], std::vector<uint8_t>(text.begin(), text.end())) ? 0 : 1;
}
