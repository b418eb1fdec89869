#include "cli/errors.h"

#include <cstdarg>
#include <cstdio>

int fail(int code, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    fflush(stdout);
    fprintf(stderr, "lpgctl: %s\n", text);
    return code;
}
