// Recording a drive from the window: the link's port wrapped by the
// recording hook (sim/replay.h), in the format lpgctl record writes, and the
// rules that end it. Portable; the menu commands and boxes are in
// shell/drives_win.cpp.
#ifndef ZUVELS_SHELL_DRIVE_RECORDING_H
#define ZUVELS_SHELL_DRIVE_RECORDING_H

#include <cstdint>
#include <string>

// Why a recording must end now.
enum class RecordingStop { None, WriteFailed, FileFull };

// A recording is kept below the size a replay reads (MaxRecordingBytes,
// shell/start_options.h), so everything recorded can be played back.
RecordingStop recordingStopFor(bool writeFailed, long long wholeBytes, long long limit);

// Opens path (openOutputFile), writes the header naming portName and
// startText, reads the whole controller once (so a replay answers every
// block), and from then on records every exchange of the link. False with
// "path: reason" in *error; nothing changes then.
bool startDriveRecording(const char* path, const char* portName, const char* startText,
                         std::string* error);
bool driveRecording();
// The window's check, once a second: what ends the recording now.
RecordingStop driveRecordingStop();
// Ends it: the link's port is the one it wrapped again and the file is
// closed. False with "path: reason" when the recording could not be written
// whole; the file then ends at its last whole frame. Nothing when idle.
bool stopDriveRecording(std::string* error);

// The mark shown while recording, after `word` (the language's "REC"):
// minutes and seconds, then the size ("REC 12:05 148 KB").
std::string recordingMark(const char* word, uint32_t ms, long long bytes);
uint32_t driveRecordingMs();
long long driveRecordingBytes();

#endif
