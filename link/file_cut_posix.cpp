#include <unistd.h>

#include "link/file_cut.h"

bool cutFileAt(FILE* f, long long length) { return ftruncate(fileno(f), off_t(length)) == 0; }
