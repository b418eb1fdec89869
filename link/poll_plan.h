// What one timer tick of a page or dialog reads from the controller, as a
// row: what holds the tick back, the blocks read every tick and those read
// only every n-th one. The pages, the dialogs and lpgctl run the same rows,
// so a page and lpgctl's road log talk to the controller alike. Portable.
#ifndef ZUVELS_LINK_POLL_PLAN_H
#define ZUVELS_LINK_POLL_PLAN_H

// What may hold a tick back (bits): a nested message loop of a dialog or a
// dropped-down list must not see the controller talked to underneath it,
// and a page may hold its own reads (PausePageHold: a scroll bar dragged,
// the cursor over recorded traces).
enum PollPause : unsigned {
    PauseNone = 0,
    PauseServiceDialog = 1,
    PauseDropDown = 2,
    PausePageHold = 4
};

// Blocks (bits), read in this order within each column of a row.
enum PollBlock : unsigned { ReadLive = 1, ReadConfigA = 2, ReadConfigB = 4, ReadExtended = 8 };
const unsigned ReadEveryBlock = ReadLive | ReadConfigA | ReadConfigB | ReadExtended;

// The columns are read in their order here, after the status poll.
struct PollPlan {
    unsigned pausedBy;     // PollPause bits that skip the tick
    unsigned afterStatus;  // whatever the status poll brought
    unsigned whileUp;      // while the link is up, whatever the generation
    // Every tick the link is up, by the controller's generation; nothing
    // else is read for a generation the program doesn't serve.
    unsigned generation1, generation3;
    // Each such tick until one read came back valid since the link came up.
    unsigned untilValid;
    // On every n-th such tick (0: never).
    unsigned slowBlocks;
    int slowEvery;
};

// The rows.
extern const PollPlan ReadingsPoll;       // the readings page and lpgctl's road log
extern const PollPlan ConfigurationPoll;  // the configuration and options pages
extern const PollPlan LambdaEmulationPoll;
extern const PollPlan CorrectionsPoll;
extern const PollPlan LevelSensorPoll;
extern const PollPlan ScopePoll;
extern const PollPlan DeviceInfoPoll;
extern const PollPlan ResetPressPoll;  // the factory reset's button, before it decides

// One tick of plan: the status poll, then its blocks. pauses holds the
// PollPause bits true now. The caller keeps, from zero: slowTicks, the ticks
// towards the slow blocks, and fetched, the untilValid blocks read valid
// since the link came up (either may be null when the row has none). False
// when the tick is skipped: then nothing else may happen on this tick.
bool runPollPlan(const PollPlan& plan, unsigned pauses, unsigned* slowTicks,
                 unsigned* fetched = nullptr);

// The blocks given, in PollBlock order, without a status poll.
void readPollBlocks(unsigned blocks);

#endif
