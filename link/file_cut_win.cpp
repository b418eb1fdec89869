#include <io.h>

#include "link/file_cut.h"

bool cutFileAt(FILE* f, long long length) { return _chsize_s(_fileno(f), length) == 0; }
