// The rule that no write is built from bytes the program doesn't have,
// checked from outside on the frames the fuzz port sees: while a page or
// dialog acts, every write frame it sends is held against what its value is
// read from (a table of the harness's own, not the page's decision) and the
// link and store state at the moment the frame goes out.
//
// Every page write needs LinkState Up: with the link down the stores are
// zeroed and the wire address would follow a generation read from them.
// A write read-modify-written from, or copied out of, a store needs that
// store's validity flag set. A tick or a press that only polls may send no
// write at all.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_WRITE_WATCH_H
#define ZUVELS_TESTS_FUZZ_HARNESS_WRITE_WATCH_H

// What a write frame's value is read from.
enum WriteSource : unsigned {
    FromNothing = 0,  // a constant or the user's choice: only the link must be up
    FromLive = 1,
    FromConfigA = 2,
    FromConfigB = 4,
    FromExtended = 8,
    NoWriteAllowed = 0x100,  // the action sends requests only
};

// The sources of a write to program address address (the generation-3
// shift already taken off).
typedef unsigned (*SourceRule)(int address);

enum class WatchMode {
    Off,
    Writes,     // every frame is a write
    Exchanges,  // request frames pass unchecked, any other frame is a write
};

// Watches the frames sent while it lives; nested watches (a link error box
// running page ticks in the middle of a write) take over and hand back.
class WriteWatch {
public:
    WriteWatch(WatchMode mode, SourceRule rule);
    WriteWatch(WatchMode mode, unsigned sources);
    ~WriteWatch();
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;

    // Write frames seen so far under this watch.
    int writes() const;

private:
    struct Saved {
        WatchMode mode;
        SourceRule rule;
        unsigned sources;
        int writes;
    } saved_;
};

// Frames the link has tried to send in this run, requests included.
int framesSent();

// Installs the frame observer on the fuzz port; no watch active.
void resetWriteWatch();

#endif
