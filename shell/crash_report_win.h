// The crash report: an exception nobody handles leaves a minidump in the
// user's temporary folder and one message box that says where it is.
#ifndef ZUVELS_SHELL_CRASH_REPORT_WIN_H
#define ZUVELS_SHELL_CRASH_REPORT_WIN_H

// Installs the unhandled-exception filter; version ("5.02") goes into the
// report's file name. First thing at start-up.
void installCrashReport(const char* version);

#endif
