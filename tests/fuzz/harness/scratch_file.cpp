#include "tests/fuzz/harness/scratch_file.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "shell/text_file.h"
#include "tests/fuzz/harness/fuzz_input.h"

namespace {

std::string folder;

bool flushOnly(FILE* f) { return fflush(f) == 0; }
bool renameOnly(const char* from, const char* to) { return rename(from, to) == 0; }

void removeFolder() {
    if (folder.empty()) return;
    const std::string cmd = "rm -rf '" + folder + "'";
    if (system(cmd.c_str()) != 0) fprintf(stderr, "could not remove %s\n", folder.c_str());
}

const std::string& scratchFolder() {
    if (!folder.empty()) return folder;
    // scripts/fuzz names a folder it removes afterwards, as a crash skips
    // the removal at exit.
    const char* base = getenv("ZUVELS_FUZZ_SCRATCH");
    if (!base || !*base) base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/zfuzzXXXXXX";
    FUZZ_CHECK(mkdtemp(&pattern[0]) != nullptr);
    folder = pattern;
    atexit(removeFolder);
    return folder;
}

}  // namespace

const char* scratchPath(const char* name) {
    static std::string path;
    path = scratchFolder() + "/" + name;
    return path.c_str();
}

const char* writeScratchFile(const char* name, const uint8_t* data, size_t size) {
    const char* path = scratchPath(name);
    FILE* f = fopen(path, "wb");
    FUZZ_CHECK(f != nullptr);
    if (size > 0) FUZZ_CHECK(fwrite(data, 1, size, f) == size);
    FUZZ_CHECK(fclose(f) == 0);
    return path;
}

void saveWithoutDiskFlush() { durableFileCalls = {flushOnly, renameOnly}; }
