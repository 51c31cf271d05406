#include "gui/ReplayWatch.h"

#include "gui/GuiArt.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "profile/Language.h"

namespace {
constexpr float kWatchBannerTop = 6.0f;
constexpr float kWatchBannerWidth = 310.0f;
constexpr float kWatchBannerHeight = 52.0f;
constexpr int32_t kMaxWatchSpeed = 4;
}  // namespace

void ReadReplayWatchKeys(bool& paused, int32_t& speed) {
    const CInput& input = CInput::Get();
    if (input.KeyHit(DIK_P) || input.KeyHit(DIK_SPACE) || input.KeyHit(DIK_PAUSE) || input.PadHit(EPadButton::Start) ||
        input.PadHit(EPadButton::A)) {
        paused = !paused;
    }
    if ((input.KeyHit(DIK_RIGHT) || input.PadHit(EPadButton::DpadRight)) && speed < kMaxWatchSpeed) {
        speed *= 2;
    }
    if ((input.KeyHit(DIK_LEFT) || input.PadHit(EPadButton::DpadLeft)) && speed > 1) {
        speed /= 2;
    }
}

void PrepareReplayBannerShade(CSprite& shade) {
    if (shade.Load(kShadingPicture.name)) {
        shade.SetBlend(true);
        shade.SetSize(kWatchBannerWidth, kWatchBannerHeight);
        shade.SetPos(320.0f - kWatchBannerWidth / 2.0f, kWatchBannerTop);
    }
}

std::string ReplayBannerText(bool paused, int32_t speed) {
    const CLanguage& texts = CLanguage::Get();
    std::string banner = texts.TxtReplayBanner();
    if (paused) {
        banner += std::string("   ") + texts.TxtPaused();
    } else {
        banner += "   x" + std::to_string(speed);
    }
    return banner;
}

void DrawReplayBanner(const CSprite& shade, const std::string& banner, int32_t titleSize) {
    CGfxOGL& gfx = CGfxOGL::Get();
    CFont& font = CFont::Main();
    CFont& small = CFont::Small();
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    shade.Draw();
    shade.Draw();
    font.SetCharSize(titleSize, titleSize);
    gfx.Color(0.0f, 0.0f, 0.0f, 0.6f);
    font.PrintCentered(banner.c_str(), 322.0f, kWatchBannerTop + 6.0f);
    gfx.Color(1.0f, 0.85f, 0.3f, 1.0f);
    font.PrintCentered(banner.c_str(), 320.0f, kWatchBannerTop + 4.0f);
    font.ResetCharSize();
    small.SetCharSize(16, 16);
    gfx.Color(1.0f, 1.0f, 1.0f, 0.9f);
    small.PrintCentered(CLanguage::Get().TxtReplayKeys(), 320.0f, kWatchBannerTop + 32.0f);
    small.ResetCharSize();
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
}
