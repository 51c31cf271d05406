// CGuiVersus's keeping of every match in the replays list, and its watching of a kept one.
#include "gui/GuiVersus.h"

#include "core/Log.h"
#include "gui/ReplayWatch.h"
#include "gui/ScreenFlow.h"
#include "gui/StateNumbers.h"
#include "platform/Input.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "profile/ReplayLibrary.h"

#include <ctime>
#include <string>
#include <vector>

namespace {
// A round's panel of a watched match stays this long (at the speed watched) before the
// next round starts.
constexpr float kWatchPanelSeconds = 2.0f;
}  // namespace

// ---------------------------------------------------------------- keeping

// Once the sides are set, whoever plays them: the recorder goes between them and the match.
void CGuiVersus::BeginRecording() {
    m_recordBegun = true;
    IMatchSide* drivers[kVersusSides] = {m_sides.Driver(0), m_sides.Driver(1)};
    m_recorder.Begin(m_match, m_sides);
    MatchRecord& record = m_recorder.Record();
    record.date = static_cast<uint32_t>(std::time(nullptr));
    record.mode = m_networked ? EMatchMode::Network : EMatchMode::TwoPlayers;
    for (int32_t side = 0; side < kVersusSides; ++side) {
        MatchRecordSide& kept = record.sides[side];
        if (drivers[side] == &m_computer) {
            record.mode = EMatchMode::Computer;
            kept.kind = EMatchSideKind::Computer;
            kept.strength = static_cast<uint8_t>(m_strength);
        } else if (m_networked && side == OpponentSide()) {
            kept.kind = EMatchSideKind::Remote;
            kept.name = m_opponentName.substr(0, kMatchNameBytes - 1);
        } else {
            kept.kind = EMatchSideKind::Player;
            kept.name = m_twoPlayers ? m_setup.names[side] : (side == PlayerSide() ? CurrentPlayerName() : "");
            kept.name.resize(std::min(kept.name.size(), kMatchNameBytes - 1));
        }
    }
}

// A match left or finished goes into the replays list, unless nothing was played.
void CGuiVersus::KeepRecord() {
    if (m_watching || !m_recorder.IsRecording()) {
        return;
    }
    const MatchRecord& record = m_recorder.Finish();
    if (record.SideSteps(0) + record.SideSteps(1) == 0) {
        return;
    }
    std::vector<uint8_t> bytes;
    EncodeMatchRecord(record, bytes);
    CReplayLibrary library;
    library.Load();
    if (library.Add(MatchLibraryEntry(record), bytes)) {
        CLog::Get().Write("CGuiVersus: the match is kept as replays/%s (%zu bytes, %u steps)",
                          library.Entries().back().file.c_str(), bytes.size(), record.LengthSteps());
    }
}

// ---------------------------------------------------------------- watching

void CGuiVersus::StartWatching() {
    m_networked = false;
    m_watchPaused = false;
    m_watchEnded = false;
    m_watchSpeed = 1;
    m_match.Start(m_watched.Rules(), m_watched.seed);
    const MatchRecordSide& other = m_watched.sides[1 - m_watched.ownSide];
    if (other.kind == EMatchSideKind::Computer) {
        const auto strength = static_cast<EBotStrength>(other.strength);
        m_strength = strength;
        m_opponentName = std::string(CLanguage::Get().TxtComputer()) + " (" + VersusStrengthText(strength) + ")";
    } else {
        m_opponentName = other.name;
    }
    ResetSides(m_watched.ownSide);
    if (m_watched.mode == EMatchMode::TwoPlayers) {
        // Two players' match is watched as it was played: both fields full size.
        m_twoPlayers = true;
        for (int32_t side = 0; side < kVersusSides; ++side) {
            m_setup.names[side] = m_watched.sides[side].name;
        }
        PrepareWidePicture();
        HearBothSides();
    }
    for (int32_t side = 0; side < kVersusSides; ++side) {
        m_watchSides[side].Start(&m_watched.sides[side].runs, 1);
        m_sides.Set(side, &m_watchSides[side]);
    }
    // In one program the first side stepped first; over the network, this program's own.
    m_sides.SetFirst(m_watched.mode == EMatchMode::Network ? m_watched.ownSide : 0);
    PrepareReplayBannerShade(m_watchShade);
    CLog::Get().Write("CGuiVersus::StartWatching, %u and %u steps", m_watched.SideSteps(0), m_watched.SideSteps(1));
}

// The keys of a game's replay: P, Space, Pause, the pad's Start or A pause; Left and Right
// change the speed; Return or a click at the end goes back to the list, as Escape does.
void CGuiVersus::UpdateWatching(float dt) {
    const CInput& input = CInput::Get();
    ReadReplayWatchKeys(m_watchPaused, m_watchSpeed);
    if (m_watchEnded && (input.KeyHit(DIK_RETURN) || input.MouseButtonHit(kMouseLeft))) {
        EndWatching();
        return;
    }
    if (m_watchPaused || m_watchEnded) {
        return;
    }
    for (int32_t i = 0; i < m_watchSpeed && !m_watchEnded; ++i) {
        StepWatched(dt);
    }
}

// One fixed step of the watched match: each side takes its next kept step; a round's panel
// stays a moment before the steps go on.
void CGuiVersus::StepWatched(float dt) {
    const bool playing = m_match.Phase() == EVersusPhase::Playing;
    if (m_panelShown) {
        m_panelTime += dt;
        m_match.SweepFields();
        if (m_panelTime < kWatchPanelSeconds) {
            return;
        }
    }
    const int32_t round = m_match.RoundNumber();
    const int32_t taken = m_sides.Step(m_match);
    if (playing && m_match.Phase() != EVersusPhase::Playing) {
        ShowRoundPanel();
    }
    if (m_match.RoundNumber() != round) {
        m_panelShown = false;
    }
    if (taken > 0) {
        return;
    }
    // The record is played out: the match's own last panel, or that it was left.
    m_watchEnded = true;
    if (m_match.Phase() == EVersusPhase::MatchOver) {
        if (!m_panelShown) {
            ShowRoundPanel();
        }
        return;
    }
    const CLanguage& texts = CLanguage::Get();
    m_panelTitle = texts.TxtReplayMatchLeft();
    m_panelScore = std::string(texts.TxtRounds()) + std::to_string(m_match.RoundsWon(PlayerSide())) + " - " +
                   std::to_string(m_match.RoundsWon(OpponentSide()));
    m_panelShown = true;
    m_panelTime = 0.0f;
    CLog::Get().Write("CGuiVersus: the watched match ends where it was left, round %d", m_match.RoundNumber());
}

void CGuiVersus::EndWatching() {
    if (m_leaving) {
        return;
    }
    m_leaving = true;
    GoToScreen(kStateReplays);
}

// "REPLAY x2" at the top of the player's field and the keys below it, as a game's replay
// shows them; at the end, that it has ended.
void CGuiVersus::RenderWatchBanner() const {
    const std::string banner =
        m_watchEnded ? CLanguage::Get().TxtReplayEnded() : ReplayBannerText(m_watchPaused, m_watchSpeed);
    DrawReplayBanner(m_watchShade, banner, 24);
}
