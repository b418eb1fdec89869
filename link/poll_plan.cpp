#include "link/poll_plan.h"

#include "link/link.h"

namespace {

// Short names, so that a row reads as one line.
const unsigned Dialog = PauseServiceDialog, List = PauseDropDown, Hold = PausePageHold;
const unsigned L = ReadLive, A = ReadConfigA, B = ReadConfigB, X = ReadExtended;

}  // namespace

// clang-format off
// The columns as in PollPlan: paused by; after status; while up; generation 1;
// generation 3; until valid; slow blocks, every n-th tick.

// The configuration changes only when someone writes it, so the readings
// page reads it at a quarter of the rate, keeping the 50 ms tick short.
const PollPlan ReadingsPoll        = {Dialog | List, 0, 0, L,         L,         0, A | B, 4};
// Live too, although these pages show only its start position.
const PollPlan ConfigurationPoll   = {0,             0, 0, L | A | B, L | A | B, 0, 0,     0};
const PollPlan LambdaEmulationPoll = {List,          0, 0, A,         A,         0, 0,     0};
// The fitter choosing in an open list: nothing may move under it.
const PollPlan CorrectionsPoll     = {List,          0, 0, A,         X,         0, 0,     0};
// The mode comes from block 3 for every generation, the level and the
// thresholds from generation 3's block 5. A dragged thumb holds the tick, or
// the controller's old value would pull it back.
const PollPlan LevelSensorPoll     = {List | Hold,   A, 0, 0,         X,         0, 0,     0};
// Block 3 only changes when someone writes it; a failed read is tried again
// next tick, or the scales would stay wrong. The cursor view holds the tick.
const PollPlan ScopePoll           = {Dialog | Hold, 0, 0, L,         L,         A, 0,     0};
const PollPlan DeviceInfoPoll      = {0,             0, 0, 0,         X,         0, 0,     0};
// The refusal looks at this press's live block, whatever the generation: a
// stale or zeroed store would let a running controller be reset.
const PollPlan ResetPressPoll      = {0,             0, L, 0,         0,         0, 0,     0};
// clang-format on

void readPollBlocks(unsigned blocks) {
    if (blocks & ReadLive) readLiveBlock();
    if (blocks & ReadConfigA) readConfigABlock();
    if (blocks & ReadConfigB) readConfigBBlock();
    if (blocks & ReadExtended) readExtendedBlock();
}

namespace {

// Each untilValid block not yet fetched, remembered once its reply was valid.
void readUntilValid(unsigned blocks, unsigned* fetched) {
    for (unsigned b = ReadLive; b & ReadEveryBlock; b <<= 1) {
        if (!(blocks & b) || (*fetched & b)) continue;
        readPollBlocks(b);
        if (LastBlockReadValid) *fetched |= b;
    }
}

}  // namespace

bool runPollPlan(const PollPlan& plan, unsigned pauses, unsigned* slowTicks, unsigned* fetched) {
    if (plan.pausedBy & pauses) return false;
    pollStatus();
    readPollBlocks(plan.afterStatus);
    const int generation = ControllerGeneration;
    const bool up = LinkState == LinkStateKind::Up;
    if (up) readPollBlocks(plan.whileUp);
    if (!up || !generationServed(generation)) {
        if (fetched) *fetched = 0;
        return true;
    }
    readPollBlocks(generation == 1 ? plan.generation1 : plan.generation3);
    if (fetched) readUntilValid(plan.untilValid, fetched);
    if (plan.slowEvery > 0 && slowTicks && ++*slowTicks >= unsigned(plan.slowEvery)) {
        readPollBlocks(plan.slowBlocks);
        *slowTicks = 0;
    }
    return true;
}
