#include "gui/GuiTwoPlayers.h"

#include "core/Log.h"
#include "core/Random.h"
#include "engine/Engine.h"
#include "gui/GuiVersus.h"
#include "gui/OutlinedText.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "profile/Language.h"
#include "profile/Players.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>

int32_t g_twoPlayerRoundsToWin = 2;
int32_t g_twoPlayerRoundSeconds = 300;

namespace {
constexpr int32_t kCommandRoundsToWin = 2060;
constexpr int32_t kCommandRoundLength = 2061;
// The two sides' columns, between the frame's pillars.
constexpr float kSideCentreX[kVersusSides] = {243.0f, 397.0f};
constexpr int32_t kSideWidth = 148;
constexpr float kSideTop = 100.0f;
constexpr int32_t kTitleY = 50;
constexpr int32_t kRulesY = 238;
constexpr int32_t kHintY = 306;
constexpr int32_t kSettingSize = 22;
constexpr int32_t kHintSize = 16;
}  // namespace

int32_t NextChoice(const int32_t* choices, int32_t count, int32_t value) {
    const int32_t* end = choices + count;
    const int32_t* found = std::find(choices, end, value);
    return found == end || found + 1 == end ? choices[0] : *(found + 1);
}

VersusRules TwoPlayerRules(const TwoPlayerSetup& setup, int32_t difficulty) {
    VersusRules rules;
    rules.difficulty = difficulty;
    rules.roundsToWin = std::clamp(setup.roundsToWin, 1, 3);
    rules.maxRounds = 2 * rules.roundsToWin + 1;
    rules.roundSeconds = static_cast<float>(std::clamp(setup.roundSeconds, 60, 600));
    return rules;
}

bool CGuiTwoPlayers::InitScreen() {
    StartMenu(kStateHostJoinMenu);
    const CLanguage& texts = CLanguage::Get();
    StyleFittedItem(m_title, texts.TxtTwoPlayers(), kCentreX, kTitleY);
    StyleFittedItem(m_roundsToWin, "", kCentreX, kRulesY, kFieldTextWidth, kSettingSize);
    m_roundsToWin.SetCommand(kCommandRoundsToWin);
    StyleFittedItem(m_roundLength, "", kCentreX, kRulesY + 32, kFieldTextWidth, kSettingSize);
    m_roundLength.SetCommand(kCommandRoundLength);
    StyleFittedItem(m_nameHint, texts.TxtNameKeysHint(), kCentreX, kHintY, kFieldTextWidth, kHintSize);
    StyleFittedItem(m_ruleHint, texts.TxtRuleKeysHint(), kCentreX, kHintY + 20, kFieldTextWidth, kHintSize);
    for (CGuiLabel* hint : {&m_nameHint, &m_ruleHint}) {
        hint->SetColour(0.8f, 0.87f, 0.95f, 1.0f);
    }
    StyleItem(m_back, texts.TxtGoBack(), kCentreX, kBottomItemY);
    m_back.SetCommand(kStateHostJoinMenu);
    UpdateRuleItems();
    for (Side& side : m_sides) {
        side = Side();
    }
    AddSlidingColumn({&m_title, &m_roundsToWin, &m_roundLength, &m_nameHint, &m_ruleHint, &m_back});
    return true;
}

void CGuiTwoPlayers::UpdateRuleItems() {
    const CLanguage& texts = CLanguage::Get();
    const std::string rounds = texts.TxtRoundsToWin() + std::to_string(g_twoPlayerRoundsToWin);
    const std::string length = texts.TxtRoundLength() + std::to_string(g_twoPlayerRoundSeconds / 60) +
                               texts.TxtMinutesShort();
    StyleFittedItem(m_roundsToWin, rounds.c_str(), kCentreX, kRulesY, kFieldTextWidth, kSettingSize);
    StyleFittedItem(m_roundLength, length.c_str(), kCentreX, kRulesY + 32, kFieldTextWidth, kSettingSize);
}

void CGuiTwoPlayers::OnMessage(int32_t messageId, int32_t parameter) {
    switch (messageId) {
        case kCommandRoundsToWin: StepRoundsToWin(); break;
        case kCommandRoundLength: StepRoundLength(); break;
        case kStateHostJoinMenu: GoToScreen(kStateHostJoinMenu); break;
        default: CGuiScreen::OnMessage(messageId, parameter); break;
    }
}

bool CGuiTwoPlayers::OnEscape() {
    GoToScreen(kStateHostJoinMenu);
    return true;
}

void CGuiTwoPlayers::StepRoundsToWin() {
    g_twoPlayerRoundsToWin = NextChoice(kRoundsToWinChoices, static_cast<int32_t>(std::size(kRoundsToWinChoices)),
                                        g_twoPlayerRoundsToWin);
    UpdateRuleItems();
}

void CGuiTwoPlayers::StepRoundLength() {
    g_twoPlayerRoundSeconds = NextChoice(kRoundSecondsChoices, static_cast<int32_t>(std::size(kRoundSecondsChoices)),
                                         g_twoPlayerRoundSeconds);
    UpdateRuleItems();
}

// ---------------------------------------------------------------- the devices

void CGuiTwoPlayers::UpdateScreen(float /*dt*/) {
    if (IsEntering() || m_starting) {
        return;
    }
    ReleaseUnplugged();
    SideDevice devices[kMaxSideDevices];
    const int32_t count = ListSideDevices(devices);
    for (int32_t i = 0; i < count; ++i) {
        ReadDevice(devices[i]);
    }
    ReadRuleKeys();
    if (m_sides[0].ready && m_sides[1].ready) {
        StartMatch();
    }
}

void CGuiTwoPlayers::ReadDevice(const SideDevice& device) {
    DeviceButtons buttons = ReadDeviceButtons(device);
    if (device.kind == EDeviceKind::Mouse) {
        // A click on an item is the item's; the right button steps the mouse player's name.
        if (HoveredWidget() != nullptr) {
            buttons = DeviceButtons();
        }
        buttons.rightHit = buttons.swap;
        buttons.swap = false;
    }
    const int32_t side = SideOf(device);
    if (side < 0) {
        if (buttons.fire) {
            const int32_t free = !m_sides[0].device.IsHeld() ? 0 : (!m_sides[1].device.IsHeld() ? 1 : -1);
            if (free >= 0) {
                Claim(free, device);
            }
        }
        return;
    }
    Side& held = m_sides[side];
    if (held.ready) {
        // Swap takes the readiness back.
        held.ready = !buttons.swap;
        return;
    }
    if (buttons.leftHit || buttons.rightHit) {
        StepName(side, buttons.rightHit ? 1 : -1);
    }
    if (buttons.swap) {
        CLog::Get().Write("CGuiTwoPlayers: side %d given back", side);
        held = Side();
        return;
    }
    if (buttons.fire && m_sides[1 - side].device.IsHeld()) {
        held.ready = true;
    }
}

int32_t CGuiTwoPlayers::SideOf(const SideDevice& device) const {
    for (int32_t side = 0; side < kVersusSides; ++side) {
        if (m_sides[side].device.IsHeld() && m_sides[side].device == device) {
            return side;
        }
    }
    return -1;
}

void CGuiTwoPlayers::Claim(int32_t side, const SideDevice& device) {
    Side& held = m_sides[side];
    held = Side();
    held.device = device;
    // The first side starts as the current player, the second as a guest.
    const int32_t current = GetCurrentPlayerIndex();
    SetName(side, side == 0 && current >= 0 ? current : GetPlayerCount());
    char name[64];
    DeviceLogName(device, name, sizeof(name));
    CLog::Get().Write("CGuiTwoPlayers: side %d taken by %s", side, name);
}

void CGuiTwoPlayers::StepName(int32_t side, int32_t direction) {
    const int32_t choices = GetPlayerCount() + 1;
    int32_t index = m_sides[side].nameIndex;
    // A player of the list plays one side only; the guest may play both.
    for (int32_t tries = 0; tries < choices; ++tries) {
        index = (index + direction + choices) % choices;
        const Side& other = m_sides[1 - side];
        if (index == GetPlayerCount() || !other.device.IsHeld() || other.nameIndex != index) {
            break;
        }
    }
    SetName(side, index);
}

void CGuiTwoPlayers::SetName(int32_t side, int32_t nameIndex) {
    Side& held = m_sides[side];
    const PlayerRecord* player = nameIndex < GetPlayerCount() ? GetPlayer(nameIndex) : nullptr;
    held.nameIndex = player != nullptr ? nameIndex : GetPlayerCount();
    held.name = player != nullptr ? player->name : CLanguage::Get().TxtGuest();
}

void CGuiTwoPlayers::ReadRuleKeys() {
    const CInput& input = CInput::Get();
    bool rounds = input.KeyHit(DIK_R);
    bool length = input.KeyHit(DIK_L);
    for (int32_t slot = 0; slot < kMaxPadSlots; ++slot) {
        rounds = rounds || input.PadSlotHit(slot, EPadButton::Y);
        length = length || input.PadSlotHit(slot, EPadButton::LeftShoulder) ||
                 input.PadSlotHit(slot, EPadButton::RightShoulder);
    }
    if (rounds) {
        StepRoundsToWin();
    }
    if (length) {
        StepRoundLength();
    }
}

void CGuiTwoPlayers::ReleaseUnplugged() {
    for (int32_t side = 0; side < kVersusSides; ++side) {
        if (m_sides[side].device.IsHeld() && !IsDeviceConnected(m_sides[side].device)) {
            CLog::Get().Write("CGuiTwoPlayers: the controller of side %d was pulled out", side);
            m_sides[side] = Side();
        }
    }
}

void CGuiTwoPlayers::StartMatch() {
    m_starting = true;
    TwoPlayerSetup setup;
    for (int32_t side = 0; side < kVersusSides; ++side) {
        setup.devices[side] = m_sides[side].device;
        setup.names[side] = m_sides[side].name;
    }
    setup.roundsToWin = g_twoPlayerRoundsToWin;
    setup.roundSeconds = g_twoPlayerRoundSeconds;
    CLog::Get().Write("CGuiTwoPlayers: %s against %s, %d rounds to win, %d s a round", setup.names[0].c_str(),
                      setup.names[1].c_str(), setup.roundsToWin, setup.roundSeconds);
    SelectDifficulty(CurrentPlayerDifficulty());
    StopMenuMusic();
    GoToLowerScreen(kStateVersusGame,
                    std::unique_ptr<CEngineState>(new (std::nothrow) CGuiVersus(setup, TimeSeed())));
}

// ---------------------------------------------------------------- drawing

void CGuiTwoPlayers::RenderForeground() {
    if (IsEntering()) {
        return;
    }
    for (int32_t side = 0; side < kVersusSides; ++side) {
        RenderSide(side);
    }
}

void CGuiTwoPlayers::RenderSide(int32_t side) const {
    const CLanguage& texts = CLanguage::Get();
    const Side& held = m_sides[side];
    const float x = kSideCentreX[side];
    CFont& font = CFont::Small();
    char line[96];
    std::snprintf(line, sizeof(line), texts.TxtPlayerNumber(), side + 1);
    FitFont(font, line, 20, kSideWidth);
    PrintLine(font, line, x, kSideTop, true, 1.0f, 0.92f, 0.45f);
    if (!held.device.IsHeld()) {
        FitFont(font, texts.TxtPressFireToJoin(), 16, kSideWidth);
        PrintLine(font, texts.TxtPressFireToJoin(), x, kSideTop + 40.0f, true, 1.0f, 1.0f, 1.0f);
        font.ResetCharSize();
        return;
    }
    DeviceName(held.device, line, sizeof(line));
    FitFont(font, line, 16, kSideWidth);
    PrintLine(font, line, x, kSideTop + 26.0f, true, 0.8f, 0.87f, 0.95f);
    std::snprintf(line, sizeof(line), "< %s >", held.name.c_str());
    FitFont(font, line, 20, kSideWidth);
    PrintLine(font, line, x, kSideTop + 52.0f, true, 1.0f, 1.0f, 1.0f);
    const bool bothHeld = m_sides[1 - side].device.IsHeld();
    const char* state = held.ready ? texts.TxtReady() : (bothHeld ? texts.TxtFireWhenReady() : "");
    FitFont(font, state, 16, kSideWidth);
    if (held.ready) {
        PrintLine(font, state, x, kSideTop + 82.0f, true, 0.5f, 1.0f, 0.5f);
    } else {
        PrintLine(font, state, x, kSideTop + 82.0f, true, 1.0f, 1.0f, 1.0f);
    }
    font.ResetCharSize();
}
