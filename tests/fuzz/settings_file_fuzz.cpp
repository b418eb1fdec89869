// The settings-file reader on any bytes, for both formats. Besides crashes,
// its verdict is held against a plain second reading (tests/unit/
// plain_settings.h): a file loads, with exactly the values it says, when
// that reading takes it, and is refused otherwise.
#include <cstdint>
#include <cstring>

#include "link/blocks.h"
#include "shell/settings_file.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/fuzz/harness/scratch_file.h"
#include "tests/unit/plain_settings.h"

namespace {

void checkFormat(const char* path, const uint8_t* data, size_t size, int generation) {
    const SettingsFormat& fmt = settingsFormatFor(generation);
    LoadedSettings s;
    const LoadCheck check = readSettingsFile(path, fmt, &s);
    FUZZ_CHECK(check != LoadCheck::CannotOpen);
    uint8_t expected[33] = {0};
    const bool loads = plain::readSettings(data, size, fmt, expected);
    FUZZ_CHECK(loads == (check == LoadCheck::Ok));
    if (!loads) {
        FUZZ_CHECK(s.keyCount == 0 && s.sendCount == 0);
        return;
    }
    FUZZ_CHECK(s.keyCount == fmt.keyCount);
    FUZZ_CHECK(s.sendCount == (fmt.version == 3 ? 32 : 27));
    FUZZ_CHECK(memcmp(s.values, expected, static_cast<size_t>(fmt.keyCount)) == 0);
    for (int k = 0; k < s.sendCount; ++k) FUZZ_CHECK(s.addresses[k] == settingsAddresses[k]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fillSettingsKeyTables();
    const char* path = writeScratchFile("settings", data, size);
    checkFormat(path, data, size, 1);
    checkFormat(path, data, size, 3);
    return 0;
}
