#pragma once
// A versus match of two programs in lockstep. Both programs run the same CVersusMatch: the
// host's player is side 0 and the joiner's side 1. Each program steps its own side as its
// player plays, at once, and sends what it kept of each step (as a replay keeps it), its
// attacks with the step that sent them, and a checksum of its side every second. It plays
// the other side from the steps that arrive, a little behind them so that a late packet
// does not stall the picture. The attacks of the other side are worked out from its steps
// and only checked against what it said; a checksum or an attack that differs ends the
// match as out of step, on both sides, with both sides' steps kept for a bug report.
#include "game/MatchRecord.h"
#include "game/MatchSide.h"
#include "game/Replay.h"
#include "game/VersusMatch.h"
#include "net/NetSession.h"

#include <string>
#include <vector>

// This side's steps go out in batches of about 50 ms.
constexpr uint32_t kNetSendSteps = 8;
// A checksum of each side every second.
constexpr uint32_t kNetCheckSteps = 150;
// After a gap the other side is played once this many of its steps have arrived, or once
// this many of ours have passed, so that its field moves evenly.
constexpr uint32_t kNetPlayBehindSteps = 15;
// At most this many of its steps in one of ours while it catches up.
constexpr uint32_t kNetCatchUpSteps = 4;

enum class ENetVersusEnd {
    None,
    MatchOver,       // played to its end
    OpponentLeft,    // the other player left, vanished or went silent
    OutOfStep,       // the two programs no longer agree on a field
    Broken,          // the other program broke the protocol
};

class CNetVersus {
public:
    CNetVersus() : m_ownSide(*this), m_remoteSide(*this) {}
    CNetVersus(const CNetVersus&) = delete;
    CNetVersus& operator=(const CNetVersus&) = delete;

    // Takes over a session that is Playing and starts match from its settings and seed.
    void Start(CNetSession& session, CVersusMatch& match);
    bool IsRunning() const { return m_session != nullptr && m_end == ENetVersusEnd::None; }
    int32_t OwnSide() const { return m_own; }
    int32_t OpponentSide() const { return 1 - m_own; }

    // The sides of the match in sides, this program's own first: its own side is played by
    // player (the devices, or a bot) and each of its steps is sent to the other program;
    // the other side is played from the steps that arrive, a little behind them, and up to
    // four steps in one while it catches up. A ready step (Dismiss) of the own side counts
    // only once the round is decided.
    void DriveSides(CMatchSides& sides, IMatchSide& player);
    // Once a frame: the session's traffic, this side's steps sent, the end noticed.
    void Service();
    // Says goodbye; the match ends for this side and lets go of the session.
    void Leave();
    // Lets go of a session that its owner has closed already, without touching it.
    void Forget();

    ENetVersusEnd End() const { return m_end; }
    // One line for the log: why the match went out of step or broke.
    const std::string& Why() const { return m_why; }
    const MatchRecord& Record() const { return m_record; }
    // The other side's steps that have arrived and wait to be played.
    size_t OpponentStepsWaiting() const;
    // How many of the other side's checksums and attacks were found the same here.
    uint32_t ChecksumsAgreed() const { return m_sumsAgreed; }
    uint32_t AttacksAgreed() const { return m_attacksAgreed; }

private:
    // This program's side: the player's steps, kept and sent.
    class COwnSide final : public IMatchSide {
    public:
        explicit COwnSide(CNetVersus& net) : m_net(net) {}
        void BeginStep(const CVersusMatch& match, int32_t side) override;
        bool HasStep(const CVersusMatch& match, int32_t side) override;
        ReplayStep TakeStep(const CVersusMatch& match, int32_t side) override;
        void StepPlayed(const CVersusMatch& match, int32_t side, const MatchSideStep& played) override;
        void StepDone(const CVersusMatch& match, int32_t side, const MatchSideStep& played) override;

        CNetVersus& m_net;
        IMatchSide* m_player = nullptr;
        ReplayStep m_kept;      // what the other program gets of the step being played
    };
    // The other program's side: its steps as they arrive, checked against what it said.
    class CRemoteSide final : public IMatchSide {
    public:
        explicit CRemoteSide(CNetVersus& net) : m_net(net) {}
        void BeginStep(const CVersusMatch& match, int32_t side) override;
        bool HasStep(const CVersusMatch& match, int32_t side) override;
        ReplayStep TakeStep(const CVersusMatch& match, int32_t side) override;
        void StepPlayed(const CVersusMatch& match, int32_t side, const MatchSideStep& played) override;
        void StepDone(const CVersusMatch& match, int32_t side, const MatchSideStep& played) override;

        CNetVersus& m_net;
        uint32_t m_due = 0;     // its steps that may be played in this step
        uint32_t m_taken = 0;
    };

    // How many of the other side's steps are due in this step (it may start a wait).
    uint32_t OpponentStepsDue();
    void CheckOpponentAttack(uint32_t balls);
    void CheckOpponentSums();
    void SendOwnSteps();
    void Finish(ENetVersusEnd end, const std::string& why);
    static void Keep(std::vector<ReplayRun>& runs, const ReplayStep& step);

    CNetSession* m_session = nullptr;
    CVersusMatch* m_match = nullptr;
    int32_t m_own = 0;
    ENetVersusEnd m_end = ENetVersusEnd::None;
    std::string m_why;
    MatchRecord m_record;
    CAimGlances m_glances;
    COwnSide m_ownSide;
    CRemoteSide m_remoteSide;

    // This side: its steps played and the ones not yet sent.
    uint32_t m_ownSteps = 0;
    uint32_t m_sentSteps = 0;
    ReplayStep m_unsent[kMaxNetInputSteps];
    uint32_t m_unsentCount = 0;

    // The other side: its steps played, the wait after a gap, what it said to check.
    uint32_t m_opponentSteps = 0;
    uint32_t m_servicesSinceStep = 0;
    bool m_filling = true;
    uint32_t m_fillingFor = 0;
    bool m_hasAttack = false;
    NetAttack m_attack;
    bool m_hasSum = false;
    NetChecksum m_sum;
    static constexpr size_t kKeptSums = 8;
    NetChecksum m_opponentSums[kKeptSums] = {};
    uint32_t m_sumsAgreed = 0;
    uint32_t m_attacksAgreed = 0;
};
