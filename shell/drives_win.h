// The menu commands around the port beyond the settings files: the network
// port the Network dialog chose, recording a drive, playing one back, the
// road-test picture; and what the title bar shows of them. The decisions
// are portable (shell/network_choice.h, shell/drive_recording.h).
#ifndef ZUVELS_SHELL_DRIVES_WIN_H
#define ZUVELS_SHELL_DRIVES_WIN_H

#include <string>
#include <windows.h>

// The files the commands ask for.
enum class DriveFile { RecordTarget, ReplaySource, PictureSource, PictureTarget };

struct DriveSeams {
    // The system's file dialog: true with the chosen file as UTF-8.
    bool (*chooseFile)(HWND owner, DriveFile which, std::string* path);
    int (*messageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
    // Opens a saved picture with the system's viewer.
    void (*openPicture)(const std::string& path);
};
// Test seam: the system's calls unless a test replaced one.
extern DriveSeams driveSeams;

// The File menu's drive commands; false when command is none of them.
bool onDriveCommand(HWND window, int command);
// Uses the network port portText (a whole port name) from now on: the
// recording ends, CommPort and ZuvelS.ini stay as they are, no COM item is
// checked, the address goes to the front of the recent list and into the
// title bar.
void useNetworkPort(const std::string& portText);
// Ends a recording cleanly (at exit, or before the port changes); a file
// that couldn't be written whole is said in a box.
void endDriveRecording(HWND owner);
// Greys the drive items that don't apply now.
void enableDriveItems(HMENU menu);
// What the title bar adds after the page's title: the network port's
// address, the recording played back, the recording's time and size.
std::wstring portTitleSuffix();

// The main window's timer that keeps the recording's mark up to date and
// ends a recording whose file can't be written.
enum { RecordingTimerId = 7 };
void onRecordingTimer(HWND window);

#endif
