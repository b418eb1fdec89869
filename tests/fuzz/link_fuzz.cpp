// The link over a port whose every answer is fuzz (harness/fuzz_port.h):
// status polls, the four block reads, parameter writes, the block reads of
// a settings-file save, port selection, and one tick of each page and
// dialog with a user action of the input's choosing (harness/page_ticks.h),
// in any order. A link error box runs the shown page's timer from its own
// message loop, as the real one does.
//
// Input: a byte of set-up (the write reply delay), then steps
// (harness/link_steps.h).
#include <cstdint>
#include <cstring>

#include "link/blocks.h"
#include "link/link.h"
#include "link/link_testing.h"
#include "shell/app_state.h"
#include "shell/settings_file.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/fuzz/harness/store_checks.h"
#include "tests/fuzz/harness/fuzz_port.h"
#include "tests/fuzz/harness/link_steps.h"
#include "tests/fuzz/harness/page_ticks.h"

namespace {

FuzzInput* input = nullptr;
bool inErrorBox = false;

// The shell's box: modal, with its own message loop in which the shown
// page's timer keeps firing.
void errorBox() {
    FUZZ_CHECK(LinkFailed);
    FUZZ_CHECK(!inErrorBox);  // never a second box over the first
    inErrorBox = true;
    const int ticks = input->byte() % 4;
    for (int i = 0; i < ticks; ++i) runPageTimer();
    inErrorBox = false;
}

void checkLink() {
    // Never a handle without the port marked open, never a handle the
    // backend doesn't have open, never two ports at once.
    FUZZ_CHECK(PortOpen || PortHandle == InvalidPort);
    FUZZ_CHECK(PortHandle == InvalidPort || fuzzport::isOpen(PortHandle));
    FUZZ_CHECK(fuzzport::openCount() <= 1);
    FUZZ_CHECK(FailureCount >= 0 && FailureCount < 3);
    // The oscilloscope polls at a rate of its own while it is shown.
    FUZZ_CHECK(PollInterval == FastPollInterval || PollInterval == SlowPollInterval ||
               (pageOwnInterval() != 0 && PollInterval == pageOwnInterval()));
    FUZZ_CHECK(BytesTransferred <= sizeof(ExtendedBlock));
    checkStore(Status, StatusValid);
    checkStore(Live, LiveValid);
    checkStore(ConfigA, ConfigAValid);
    checkStore(ConfigB, ConfigBValid);
    checkStore(Extended, ExtendedValid);
}

void checkRead(bool valid) { FUZZ_CHECK(!LastBlockReadValid || valid); }

void write(FuzzInput& in) {
    const int frames = fuzzport::framesWritten();
    const uint8_t address = in.byte();
    const uint8_t value = in.byte();
    writeParameter(address, value);
    if (fuzzport::framesWritten() == frames) return;
    // The frame carries the address (one higher on generation 3) and value.
    const uint8_t* f = fuzzport::lastFrame();
    FUZZ_CHECK(f[1] == static_cast<uint8_t>(address + (ControllerGeneration == 3 ? 1 : 0)));
    FUZZ_CHECK(f[2] == value);
}

// A link lost on this poll leaves nothing of the old controller to show.
void poll() {
    const bool wasUp = LinkState == LinkStateKind::Up;
    pollStatus();
    if (!wasUp || LinkState != LinkStateKind::Down) return;
    FUZZ_CHECK(!StatusValid && !LiveValid && !ConfigAValid && !ConfigBValid && !ExtendedValid);
    const uint8_t* stores[] = {blockBytes(Status), blockBytes(Live), blockBytes(ConfigA),
                               blockBytes(ConfigB), blockBytes(Extended)};
    const size_t sizes[] = {sizeof Status, sizeof Live, sizeof ConfigA, sizeof ConfigB,
                            sizeof Extended};
    for (size_t i = 0; i < 5; ++i)
        for (size_t j = 0; j < sizes[i]; ++j) FUZZ_CHECK(stores[i][j] == 0);
}

void step(FuzzInput& in) {
    switch (in.byte() % LinkStepCount) {
    case StepPoll: poll(); break;
    case StepReadLive: readLiveBlock(), checkRead(LiveValid); break;
    case StepReadConfigA: readConfigABlock(), checkRead(ConfigAValid); break;
    case StepReadConfigB: readConfigBBlock(), checkRead(ConfigBValid); break;
    case StepReadExtended: readExtendedBlock(), checkRead(ExtendedValid); break;
    case StepWrite: write(in); break;
    case StepTick: runPageTick(in.byte(), in); break;
    case StepSelect:
        selectPort(in.flag() ? nullptr : "\\\\.\\COM2", in.byte());
        FUZZ_CHECK(!StatusValid && !LiveValid && !ConfigAValid && !ConfigBValid && !ExtendedValid);
        break;
    case StepDialogs: {
        const uint8_t b = in.byte();
        setServiceDialogOpen((b & 1) != 0);
        setDropDownOpen((b & 2) != 0);
        break;
    }
    case StepClose: closePort(); break;
    case StepSaveReads: {
        const bool fresh = refreshBlocksForSave(settingsFormatFor(in.flag() ? 3 : 1));
        FUZZ_CHECK(!fresh ||
                   (LinkState == LinkStateKind::Up && LiveValid && ConfigAValid && ConfigBValid));
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    input = &in;
    fuzzport::begin(&in);
    useLinkBackend(&fuzzPortOps);
    linkHooks.error = errorBox;
    linkForTests().PortHandle = InvalidPort;  // a handle of an earlier run is no longer open
    linkForTests().PortOpen = false;
    resetLinkState();
    resetPageTicks();
    linkForTests().WriteReplyDelay = in.byte();
    for (int i = 0; i < 2000 && !in.empty(); ++i) {
        step(in);
        checkLink();
    }
    resetLinkState();
    FUZZ_CHECK(fuzzport::openCount() == 0);  // nothing left open
    return 0;
}
