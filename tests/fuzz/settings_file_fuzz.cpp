// The settings-file reader on any bytes, for both formats. Besides crashes,
// its verdict is held against a plain second reading (tests/unit/
// plain_settings.h): a file loads, with exactly the values it says, when
// that reading takes it, and is refused otherwise; what loads saves again
// with the same values.
#include <cstdint>
#include <cstring>
#include <string>

#include "link/block_stores.h"
#include "link/blocks.h"
#include "link/parameters.h"
#include "shell/settings_file.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/fuzz/harness/scratch_file.h"
#include "tests/unit/plain_settings.h"

namespace {

// Loaded into a controller and saved from it again, a file keeps its values
// ("NULL=" is always saved as 0).
void checkRoundTrip(const LoadedSettings& s, const SettingsFormat& fmt) {
    for (int k = 0; k < s.sendCount; ++k) {
        uint8_t* field = fieldByte(fieldForAddress(s.addresses[k], fmt.version), storeBlocks());
        FUZZ_CHECK(field != nullptr);
        *field = s.values[k];
    }
    const char* path = scratchPath("saved");
    FUZZ_CHECK(writeSettingsFile(path, fmt));
    LoadedSettings again;
    FUZZ_CHECK(readSettingsFile(path, fmt, &again) == LoadCheck::Ok);
    FUZZ_CHECK(memcmp(again.values, s.values, static_cast<size_t>(s.sendCount)) == 0);
    for (int k = s.sendCount; k < s.keyCount; ++k) FUZZ_CHECK(again.values[k] == 0);
}

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
    for (int k = 0; k < s.sendCount; ++k)
        FUZZ_CHECK(s.addresses[k] == settingsParameter(fmt.version, k)->address);
    checkRoundTrip(s, fmt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    saveWithoutDiskFlush();
    fillSettingsKeyTables();
    const std::string path = writeScratchFile("settings", data, size);
    checkFormat(path.c_str(), data, size, 1);
    checkFormat(path.c_str(), data, size, 3);
    return 0;
}
