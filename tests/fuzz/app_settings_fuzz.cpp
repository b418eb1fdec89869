// The ZuvelS.ini reader on any bytes: the port number it takes must be one
// the port table has, the language code a terminated string, and what the
// program writes from them must read back the same.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "link/link.h"
#include "link/link_testing.h"
#include "shell/app_settings.h"
#include "shell/app_state.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/fuzz/harness/scratch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    saveWithoutDiskFlush();
    linkForTests().CommPort = -7;
    snprintf(appState().activeLanguage, sizeof appState().activeLanguage, "%s", "before");
    const char* path = writeScratchFile("ZuvelS.ini", data, size);
    readAppSettings(path);
    FUZZ_CHECK(CommPort >= 0 && CommPort <= 256);
    FUZZ_CHECK(memchr(activeLanguage, '\0', sizeof activeLanguage) != nullptr);
    FUZZ_CHECK(strcmp(portTablePath(CommPort), "") != 0);

    // A code that starts with a zero byte writes as an empty word, which no
    // reader can tell from a missing one.
    if (activeLanguage[0] == '\0') return 0;
    const int port = CommPort;
    char code[sizeof activeLanguage];
    memcpy(code, activeLanguage, sizeof code);
    writeAppSettings(path);
    linkForTests().CommPort = -7;
    appState().activeLanguage[0] = '\0';
    readAppSettings(path);
    FUZZ_CHECK(CommPort == port);
    FUZZ_CHECK(strcmp(activeLanguage, code) == 0);
    return 0;
}
