// Stand-ins for the pages' sub-dialogs until the dialogs themselves are in:
// each closes at once, which for the page means clearing its flag. The file
// that defines the real dialogs replaces this one. (Weak definitions are of
// no use here: MinGW's linker doesn't take them from a static library.)
#include "config/config_dialogs.h"

#include "shell/app_state.h"

void openCorrectionsDialog(HWND) { optionsDialogOpen = false; }
void openLevelSensorDialog(HWND) { configDialogOpen = false; }
void openLambdaEmulationDialog(HWND) { configDialogOpen = false; }
