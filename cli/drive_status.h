// What log and record tell on standard error while a drive runs: on a
// terminal one status line redrawn in place, a notice line when the link
// drops or comes back, and a summary at the end. Only the decisions live
// here (the text for given counts and link states, and when to redraw); the
// commands write it. Portable.
#ifndef ZUVELS_CLI_DRIVE_STATUS_H
#define ZUVELS_CLI_DRIVE_STATUS_H

#include <cstdint>
#include <string>

// Elapsed time as "0:07", "12:05" or "1:02:03".
std::string elapsedText(uint32_t ms);

// A drive as it stands after a tick.
struct DriveTick {
    uint32_t ms;  // since the drive started
    long count;   // rows or frames written so far
    bool linkUp;  // the row's link_up
};

class DriveStatus {
public:
    // activity: "logging to road.csv"; unit: "rows" or "frames". statusLine:
    // the line redrawn in place (a terminal that shows nothing else);
    // without it only the notices and the summary are lines of their own.
    DriveStatus(std::string activity, std::string unit, bool statusLine);
    // What to write after a tick; "" when nothing is due. The line is
    // redrawn at most every RedrawMs, at once with a notice.
    std::string afterTick(const DriveTick& tick);
    // The status line ended and the summary ("logged 240 rows in 0:12 to
    // road.csv; the link was down in 3 of 240 polls").
    std::string finish(const DriveTick& tick, const char* verb, const char* target) const;
    bool linkEverUp() const { return everUp_; }

    enum { RedrawMs = 250 };

private:
    std::string statusLine(const DriveTick& tick) const;
    std::string notice(const DriveTick& tick) const;
    std::string redraw(const std::string& line);

    std::string activity_, unit_;
    bool lineShown_;
    bool started_ = false, wasUp_ = false, everUp_ = false;
    long ticks_ = 0, downTicks_ = 0;
    uint32_t drawnAt_ = 0;
    size_t drawnLength_ = 0;
};

#endif
