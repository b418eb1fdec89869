// Settings files as lpgctl reads them: by the controller's format (load),
// or by whichever format the file has (diff).
#ifndef ZUVELS_CLI_SETTINGS_FILES_H
#define ZUVELS_CLI_SETTINGS_FILES_H

#include "shell/settings_file.h"

// Reads path in the format of generation, as the window's "Open..." does.
// ExitOk, or ExitBadFile after an error line that says what is wrong (a file
// of the other format is named as such).
int readSettingsForGeneration(const char* path, int generation, LoadedSettings* out);

// Reads path in whichever of the two formats it has; *version gets 1 or 3.
int readSettingsAnyFormat(const char* path, LoadedSettings* out, int* version);

#endif
