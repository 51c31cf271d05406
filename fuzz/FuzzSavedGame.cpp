// Decodes the input as a saved game's pair of files (the save file's 291 bytes, then the
// field file). An input of exactly both sizes is sealed first (its field CRC put in place)
// so that the checks of the values themselves are reached. A save that is taken is played
// for a while: nothing it holds may lead outside the field's tables.
#include "core/Log.h"
#include "core/Random.h"
#include "game/SavedGame.h"
#include "resources/Crc32.h"
#include "resources/LittleEndian.h"

#include <algorithm>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CLog::Get().SetEnabled(false);
    CLog::Get().SetErrorStream(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t saveSize = std::min(size, kSaveFileBytes);
    std::vector<uint8_t> saveBytes(data, data + saveSize);
    std::vector<uint8_t> fieldBytes(data + saveSize, data + size);
    if (saveBytes.size() == kSaveFileBytes && fieldBytes.size() == kFieldFileBytes) {
        WriteLe32(saveBytes.data() + 100, Crc32(fieldBytes.data(), fieldBytes.size()));
    }
    SavedGame game;
    std::string why;
    if (!DecodeSavedGame(saveBytes, fieldBytes, game, why)) {
        return 0;
    }
    CPlayfield playfield;
    playfield.SetDifficulty(game.values.difficulty);
    ApplySavedGame(game, playfield);
    playfield.Random().Seed(1);
    PlayInput input;
    for (int32_t step = 0; step < 600; ++step) {
        input.fireHit = step % 50 == 0;
        input.mouseX = static_cast<float>(step % 640);
        input.mouseY = 100.0f;
        input.mouseMoved = true;
        playfield.Update(CPlayfield::kStepLength, input);
    }
    return 0;
}
