#include "shell/drive_recording.h"

#include <cstdio>

#include "link/link.h"
#include "shell/start_options.h"
#include "shell/text_file.h"
#include "sim/replay.h"

namespace {

struct Session {
    FILE* file = nullptr;
    std::string path;
};
Session session;

// Room left below the replay's limit for the frames of the tick that
// crosses the line.
const long long RecordingHeadroom = 64 * 1024;

// The controller's every block once, as lpgctl record reads it first.
void readWholeController() {
    pollStatus();
    readLiveBlock();
    readConfigABlock();
    readConfigBBlock();
    if (ControllerGeneration == 3) readExtendedBlock();
}

}  // namespace

RecordingStop recordingStopFor(bool writeFailed, long long wholeBytes, long long limit) {
    if (writeFailed) return RecordingStop::WriteFailed;
    if (wholeBytes >= limit - RecordingHeadroom) return RecordingStop::FileFull;
    return RecordingStop::None;
}

bool startDriveRecording(const char* path, const char* portName, const char* startText,
                         std::string* error) {
    if (session.file) return true;
    FILE* f = openOutputFile(path, error);
    if (!f) return false;
    session.file = f;
    session.path = path;
    recordingStart(LinkPort, f, portName, startText);
    useLinkBackend(&recordingPortOps);
    readWholeController();
    return true;
}

bool driveRecording() { return session.file != nullptr; }

RecordingStop driveRecordingStop() {
    if (!session.file) return RecordingStop::None;
    return recordingStopFor(recordingFailed(), recordingWholeBytes(), MaxRecordingBytes);
}

bool stopDriveRecording(std::string* error) {
    if (!session.file) return true;
    if (LinkPort == &recordingPortOps) useLinkBackend(recordingInnerPort());
    const bool failed = recordingFailed();
    std::string closeError;
    const bool closed = closeOutputFile(session.file, session.path.c_str(), &closeError);
    session.file = nullptr;
    if (failed)
        *error = session.path + ": could not be written";
    else if (!closed)
        *error = closeError;
    return !failed && closed;
}

uint32_t driveRecordingMs() { return session.file ? recordingElapsedMs() : 0; }
long long driveRecordingBytes() { return session.file ? recordingWholeBytes() : 0; }

std::string recordingMark(const char* word, uint32_t ms, long long bytes) {
    const unsigned seconds = ms / 1000;
    char text[64];
    const long long kb = bytes > 0 ? (bytes + 1023) / 1024 : 0;
    if (kb < 10 * 1024)
        snprintf(text, sizeof text, "%s %u:%02u %lld KB", word, seconds / 60, seconds % 60, kb);
    else
        snprintf(text, sizeof text, "%s %u:%02u %lld MB", word, seconds / 60, seconds % 60,
                 kb / 1024);
    return text;
}
