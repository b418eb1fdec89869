#include "tests/fuzz/harness/cli_stubs.h"

#include <cstdarg>
#include <cstdio>

#include "cli/connect.h"
#include "cli/errors.h"
#include "cli/platform.h"
#include "tests/fuzz/harness/fuzz_input.h"

namespace {

int failures = 0;
std::string last;

}  // namespace

int failureCount() { return failures; }
const std::string& lastFailure() { return last; }
void clearFailures() {
    failures = 0;
    last.clear();
}

// errors.cpp's fail, kept: one line, said once per stop.
int fail(int code, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ++failures;
    last = text;
    return code;
}

// errors.cpp's warning: not a failure, and nothing to print.
void warn(const char*, ...) {}

const PortOps* devicePortOps() {
    FUZZ_CHECK(!"a device backend chosen");
    return nullptr;
}

OpenFailure lastOpenFailure(std::string* reason) {
    FUZZ_CHECK(!"a port opened");
    *reason = "";
    return OpenFailure::Other;
}

const char* permissionHint() { return ""; }
bool stderrIsTerminal() { return false; }

std::vector<SystemPort> systemPorts() {
    FUZZ_CHECK(!"the system's ports listed");
    return {};
}

bool defaultPortChoice(PortChoice*, std::string* error) {
    FUZZ_CHECK(!"the default port asked for");
    *error = "";
    return false;
}
