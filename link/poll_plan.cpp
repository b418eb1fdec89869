#include "link/poll_plan.h"

#include "link/link.h"

// The configuration changes only when someone writes it, so the readings
// page reads it at a quarter of the rate, keeping the 50 ms tick short.
const PollPlan ReadingsPoll = {PauseServiceDialog | PauseDropDown, ReadLive, ReadLive,
                               ReadConfigA | ReadConfigB, 4};
// Live too, although these pages show only its start position.
const PollPlan ConfigurationPoll = {PauseNone, ReadLive | ReadConfigA | ReadConfigB,
                                    ReadLive | ReadConfigA | ReadConfigB, 0, 0};
const PollPlan LambdaEmulationPoll = {PauseDropDown, ReadConfigA, ReadConfigA, 0, 0};
// The fitter choosing in an open list: nothing may move under it.
const PollPlan CorrectionsPoll = {PauseDropDown, ReadConfigA, ReadExtended, 0, 0};
const PollPlan DeviceInfoPoll = {PauseNone, 0, ReadExtended, 0, 0};

namespace {

void readBlocks(unsigned blocks) {
    if (blocks & ReadLive) readLiveBlock();
    if (blocks & ReadConfigA) readConfigABlock();
    if (blocks & ReadConfigB) readConfigBBlock();
    if (blocks & ReadExtended) readExtendedBlock();
}

}  // namespace

bool runPollPlan(const PollPlan& plan, unsigned pauses, unsigned* slowTicks) {
    if (plan.pausedBy & pauses) return false;
    pollStatus();
    const int generation = ControllerGeneration;
    if (LinkState != LinkStateKind::Up || !generationServed(generation)) return true;
    readBlocks(generation == 1 ? plan.generation1 : plan.generation3);
    if (plan.slowEvery > 0 && slowTicks && ++*slowTicks >= unsigned(plan.slowEvery)) {
        readBlocks(plan.slowBlocks);
        *slowTicks = 0;
    }
    return true;
}
