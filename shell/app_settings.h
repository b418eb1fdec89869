// The application settings file "ZuvelS.ini": port and language. Portable.
#ifndef ZUVELS_SHELL_APP_SETTINGS_H
#define ZUVELS_SHELL_APP_SETTINGS_H

extern const char* const AppSettingsFileName;  // "ZuvelS.ini", current directory

// Reads the port, which it selects (selectPort), and activeLanguage
// (shell/app_state.h) from the file at path; creates it with the defaults
// (port 1, "pol") when it can't be opened (missing, not a regular file, or
// larger than such a file can be).
// Words are read by position, never compared. A port number that can't be
// read, is negative or is above 256 reads as 0; the code keeps at most 63
// characters of its word.
void readAppSettings(const char* path);
// Writes the three lines from CommPort and activeLanguage through a temporary
// file that replaces the old one only when complete, so a failed write
// leaves the old file as it was. False when it couldn't be written.
bool writeAppSettings(const char* path);
// The handler told of every write of writeAppSettings that failed, with its
// path: the window says once per run that the choice can't be kept. nullptr:
// nobody.
void setAppSettingsUnwritableHandler(void (*handler)(const char* path));

#endif
