#include "profile/Language.h"

#include "core/Log.h"
#include "game/GameTexts.h"
#include "profile/StoredFile.h"
#include "resources/LittleEndian.h"

namespace {

const char* const kLanguageFileName = "language.dat";
constexpr uint32_t kLanguageFileSize = 4;

const char* LanguageGameText(EGameText text) {
    const CLanguage& language = CLanguage::Get();
    switch (text) {
        case EGameText::ComboPlus: return language.TxtComboPlus();
        case EGameText::Level: return language.TxtLevelBanner();
        case EGameText::GameOver: return language.TxtGameOver();
        case EGameText::Perfect: return language.TxtPerfect();
        case EGameText::PerfectBonus: return language.TxtPerfectBonus();
        case EGameText::ThatWasClose: return language.TxtThatWasClose();
        case EGameText::WellDone: return language.TxtWellDone();
        case EGameText::Accuracy: return language.TxtAccuracy();
        case EGameText::Bonus: return language.TxtBonus();
        case EGameText::Combos: return language.TxtCombos();
        case EGameText::AllLevelsDone: return language.TxtAllLevelsDone();
        case EGameText::Count: break;
    }
    return nullptr;
}

}  // namespace

CLanguage& CLanguage::Get() {
    static CLanguage language;
    return language;
}

void CLanguage::SetLanguage(uint32_t id) {
    m_language = id;
    UseStrings(id == kLanguageSwedish ? kSwedishStrings : kEnglishStrings);
    Save();
}

bool CLanguage::Save() {
    std::vector<uint8_t> bytes(kLanguageFileSize);
    WriteLe32(bytes.data(), m_language);
    if (!WriteStoredFile(kLanguageFileName, bytes)) {
        CLog::Get().Write("CLanguage::Save FAILED couldn't save language configuration");
        return false;
    }
    return true;
}

bool CLanguage::Load() {
    m_language = kLanguageNone;
    UseStrings(kEnglishStrings);
    std::vector<uint8_t> bytes;
    const EStoredRead result = ReadStoredFile(kLanguageFileName, kLanguageFileSize, bytes);
    if (result == EStoredRead::Missing) {
        return false;
    }
    if (result == EStoredRead::Read && bytes.size() < kLanguageFileSize) {
        MarkStoredFileDamaged(kLanguageFileName);
    }
    if (result == EStoredRead::Failed || bytes.size() < kLanguageFileSize) {
        CLog::Get().Write("CLanguage::Load FAILED, %s is unreadable or short; no language is chosen",
                          kLanguageFileName);
        return false;
    }
    SetLanguage(ReadLe32(bytes.data()));
    return true;
}

void InstallLanguageGameTexts() {
    SetGameTextProvider(LanguageGameText);
}
