// The crash report: an exception nobody handles leaves a minidump in the
// user's temporary folder and one message box that says where it is.
#ifndef ZUVELS_SHELL_CRASH_REPORT_WIN_H
#define ZUVELS_SHELL_CRASH_REPORT_WIN_H

// Installs the unhandled-exception filter; the report's file name carries
// the program's version. First thing at start-up.
void installCrashReport();

#endif
