// What one timer tick of a page or dialog reads from the controller, as a
// row: what holds the tick back, the blocks read every tick and those read
// only every n-th one. The pages, the dialogs and lpgctl run the same rows,
// so a page and lpgctl's road log talk to the controller alike. Portable.
#ifndef ZUVELS_LINK_POLL_PLAN_H
#define ZUVELS_LINK_POLL_PLAN_H

// What may hold a tick back (bits): a nested message loop of a dialog or a
// dropped-down list must not see the controller talked to underneath it.
enum PollPause : unsigned { PauseNone = 0, PauseServiceDialog = 1, PauseDropDown = 2 };

// Blocks (bits), read in this order after the status poll.
enum PollBlock : unsigned { ReadLive = 1, ReadConfigA = 2, ReadConfigB = 4, ReadExtended = 8 };

struct PollPlan {
    unsigned pausedBy;  // PollPause bits that skip the tick
    // Read every tick while the link is up, by the controller's generation.
    unsigned generation1, generation3;
    // Read on every n-th tick the link is up with a served generation
    // (0: never), after those above.
    unsigned slowBlocks;
    int slowEvery;
};

// The rows.
extern const PollPlan ReadingsPoll;       // the readings page and lpgctl's road log
extern const PollPlan ConfigurationPoll;  // the configuration and options pages
extern const PollPlan LambdaEmulationPoll;
extern const PollPlan CorrectionsPoll;
extern const PollPlan DeviceInfoPoll;

// One tick of plan: the status poll, then its blocks. pauses holds the
// PollPause bits true now; slowTicks counts the ticks towards the slow
// blocks (the caller keeps it). False when the tick is skipped: then nothing
// else may happen on this tick.
bool runPollPlan(const PollPlan& plan, unsigned pauses, unsigned* slowTicks);

#endif
