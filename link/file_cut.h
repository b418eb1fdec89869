// Cutting an open file back to a length, one file per system
// (file_cut_win.cpp, file_cut_posix.cpp): a recording ends at its last
// whole line when a write fails.
#ifndef ZUVELS_LINK_FILE_CUT_H
#define ZUVELS_LINK_FILE_CUT_H

#include <cstdio>

// False when the system refuses (a pipe, a stick already gone).
bool cutFileAt(FILE* f, long long length);

#endif
