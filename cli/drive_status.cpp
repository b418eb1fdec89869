#include "cli/drive_status.h"

#include <cstdio>
#include <utility>

std::string elapsedText(uint32_t ms) {
    const uint32_t s = ms / 1000;
    char text[32];
    if (s >= 3600)
        snprintf(text, sizeof text, "%u:%02u:%02u", s / 3600, s / 60 % 60, s % 60);
    else
        snprintf(text, sizeof text, "%u:%02u", s / 60, s % 60);
    return text;
}

DriveStatus::DriveStatus(std::string activity, std::string unit, bool statusLine)
    : activity_(std::move(activity)), unit_(std::move(unit)), lineShown_(statusLine) {}

namespace {

// "1 row", "2 rows": the unit is given in the plural.
std::string counted(long count, const std::string& unit) {
    return std::to_string(count) + " " + (count == 1 ? unit.substr(0, unit.size() - 1) : unit);
}

}  // namespace

std::string DriveStatus::statusLine(const DriveTick& t) const {
    return activity_ + ", Ctrl+C to stop  " + elapsedText(t.ms) + "  " + counted(t.count, unit_) +
           "  link " + (t.linkUp ? "up" : "down");
}

// "" when the link stayed as it was; a drive that starts with the link up
// says nothing.
std::string DriveStatus::notice(const DriveTick& t) const {
    const std::string at = " at " + elapsedText(t.ms);
    if (!started_ && !t.linkUp) return "link down" + at + ": no controller answers";
    if (!started_ || t.linkUp == wasUp_) return "";
    if (!t.linkUp) return "link down" + at + ": the controller stopped answering";
    return (everUp_ ? "link up again" : "link up") + at;
}

// The line over the one drawn before, blanks over what is left of it.
std::string DriveStatus::redraw(const std::string& line) {
    std::string text = "\r" + line;
    if (line.size() < drawnLength_) text += std::string(drawnLength_ - line.size(), ' ');
    drawnLength_ = line.size();
    return text;
}

std::string DriveStatus::afterTick(const DriveTick& t) {
    const std::string note = notice(t);
    const bool due = !started_ || !note.empty() || t.ms - drawnAt_ >= uint32_t(RedrawMs);
    started_ = true;
    wasUp_ = t.linkUp;
    everUp_ = everUp_ || t.linkUp;
    ++ticks_;
    downTicks_ += !t.linkUp;
    if (!lineShown_) return note.empty() ? "" : note + "\n";
    if (!due) return "";
    drawnAt_ = t.ms;
    std::string text;
    if (!note.empty()) {
        text = redraw(note) + "\n";
        drawnLength_ = 0;
    }
    return text + redraw(statusLine(t));
}

std::string DriveStatus::finish(const DriveTick& t, const char* verb, const char* target) const {
    std::string text = lineShown_ && started_ ? "\n" : "";
    text += std::string(verb) + " " + counted(t.count, unit_) + " in " + elapsedText(t.ms) +
            " to " + target;
    if (downTicks_ > 0 && everUp_)
        text += "; the link was down in " + std::to_string(downTicks_) + " of " +
                std::to_string(ticks_) + " polls";
    return text + "\n";
}
