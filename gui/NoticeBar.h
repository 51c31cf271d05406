#pragma once
// The notices of profile/Notices.h over whatever screen is up: the oldest one in two
// centred lines at the top of the screen for kNoticeSeconds, then the next. A notice does
// not take the input; every screen goes on as it does.
#include <cstdint>

constexpr float kNoticeSeconds = 5.0f;
constexpr float kNoticeFirstLineY = 6.0f;
constexpr float kNoticeSecondLineY = 26.0f;
// Narrow enough to stay between the game's lives counter and its corner buttons.
constexpr int32_t kNoticeWidth = 420;

void UpdateNoticeBar(float dt);
void RenderNoticeBar();
// Whether a notice is on screen now (tests).
bool NoticeBarShown();
