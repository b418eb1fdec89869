#include "service/reset.h"

#include "link/blocks.h"
#include "link/link.h"

const uint8_t restoreAddresses[RestoreCount] = {
    Addr::Options,     Addr::LambdaType,   Addr::LambdaPoint,  Addr::LambdaDelay,
    Addr::EmulType,    Addr::EmulBjTimeHi, Addr::EmulBjTimeLo, Addr::ZamOtwBj,
    Addr::ZamOtwDo,    Addr::InjectDelay,  Addr::LpgOnTemp,    Addr::AttMax,
    Addr::AttMin,      Addr::AttInit,      Addr::TpsJump,      Addr::AttJump,
    Addr::LpgOnRpmLo,  Addr::LpgOnRpmHi,   Addr::IgnitionType, Addr::CutOffRpmLo,
    Addr::CutOffRpmHi, Addr::CutOffSteps,  Addr::LpgOffRpmLo,  Addr::LpgOffRpmHi,
    Addr::TpsInert,    Addr::AttMaxBj,     Addr::AttMinBj,     Addr::Prog1,
    Addr::Prog2,       Addr::Prog3,        Addr::Prog4,        Addr::Wozg,
    Addr::GasMinutes,
};

void buildRestoreTable(RestoreEntry out[RestoreCount]) {
    // Only generation 3 restores, so its address map says where each value lives.
    for (int k = 0; k < RestoreCount; ++k) {
        out[k].address = restoreAddresses[k];
        out[k].value = readField(fieldForAddress(restoreAddresses[k], 3));
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
    readLiveBlock();
    readConfigABlock();
    readConfigBBlock();
    readExtendedBlock();
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
        if (!writeConfirmed(table[k].value)) return ResetOutcome::Failed;
        report(progress, k);
    }
    return ResetOutcome::Done;
}

}  // namespace

ResetOutcome runFactoryReset(void (*progress)(int position)) {
    report(progress, 0);
    pollStatus();
    const int generation = ControllerGeneration;
    // The refusal looks at this press's live block: a stale or zeroed store
    // would let a running controller be reset.
    if (LinkState != LinkStateKind::Up) return ResetOutcome::Failed;
    readLiveBlock();
    if (!LastBlockReadValid) return ResetOutcome::Failed;
    if (Live.flagsA & FlagsA::Ready) return ResetOutcome::Refused;
    if (generation == 1) return resetGeneration1();
    if (generation == 3) return resetGeneration3(progress);
    return ResetOutcome::NotServed;
}
