#include "service/reset.h"

#include "link/blocks.h"
#include "link/link.h"
#include "link/parameters.h"
#include "link/poll_plan.h"

void buildRestoreTable(RestoreEntry out[RestoreCount]) {
    // Only generation 3 restores: what its settings file holds, then the
    // minutes on gas.
    const int keys = settingsParameterCount(3);
    for (int k = 0; k < RestoreCount; ++k) {
        const Parameter& row = k < keys ? *settingsParameter(3, k) : parameter(Param::GasMinutes);
        out[k].address = row.address;
        out[k].value = readField(parameterByte(row, 3));
    }
}

namespace {

void report(void (*progress)(int), int position) {
    if (progress) progress(position);
}

// A write counts only with a whole reply: a missing one leaves the previous
// reply in WriteReply, whose value may well equal this one.
bool writeConfirmed(uint8_t expected) {
    return BytesTransferred == sizeof WriteReply && WriteReply.value == expected;
}

ResetOutcome resetGeneration1() {
    forgetWriteReply();
    {
        ReplyDelayScope delay(ResetReplyDelayMs);
        writeParameter(Addr::Command, CmdFactoryReset);
    }
    return writeConfirmed(ResetConfirmed) ? ResetOutcome::Done : ResetOutcome::Failed;
}

// Reads back what the controller holds after the reset; false unless all
// four blocks came back valid, so nothing stale is ever written back.
bool readFreshBlocks() {
    clearStoreValidity();
    readPollBlocks(ReadEveryBlock);
    return LiveValid && ConfigAValid && ConfigBValid && ExtendedValid;
}

ResetOutcome resetGeneration3(void (*progress)(int)) {
    // The command's own reply is not examined: the read-back below shows
    // whether the controller is still there.
    writeParameter(Addr::Command, CmdFactoryReset);
    if (!readFreshBlocks()) return ResetOutcome::Failed;

    RestoreEntry table[RestoreCount];
    buildRestoreTable(table);
    for (int k = 0; k < RestoreCount; ++k) {
        writeParameter(table[k].address, table[k].value);
        if (!lastWriteConfirmed(table[k].value)) return ResetOutcome::Failed;
        report(progress, k);
    }
    return ResetOutcome::Done;
}

}  // namespace

ResetOutcome runFactoryReset(void (*progress)(int position)) {
    report(progress, 0);
    runPollPlan(ResetPressPoll, PauseNone, nullptr);
    const int generation = ControllerGeneration;
    // Up, the live block was the last read.
    if (LinkState != LinkStateKind::Up || !LastBlockReadValid) return ResetOutcome::Failed;
    if (Live.flagsA & FlagsA::Ready) return ResetOutcome::Refused;
    if (generation == 1) return resetGeneration1();
    if (generation == 3) return resetGeneration3(progress);
    return ResetOutcome::NotServed;
}
