// The file readers take paths, so each input goes through a real file in a
// folder of this process's own, made in $ZUVELS_FUZZ_SCRATCH (else /dev/shm
// or /tmp) and removed at exit.
#ifndef ZUVELS_TESTS_FUZZ_HARNESS_SCRATCH_FILE_H
#define ZUVELS_TESTS_FUZZ_HARNESS_SCRATCH_FILE_H

#include <cstddef>
#include <cstdint>

// Path of the scratch file called name (created on first use of the folder).
const char* scratchPath(const char* name);
// Writes the bytes to the scratch file called name; returns its path.
const char* writeScratchFile(const char* name, const uint8_t* data, size_t size);

// Saves go through the program's durable write without the flush to the
// disk (fflush and rename only): a scratch file needs no power-cut safety,
// and the fsyncs took most of a save target's time.
void saveWithoutDiskFlush();

#endif
