// The modal dialogs of the configuration and options pages. Each polls the
// controller on its own timer while it is open, since its page stops polling
// for that time, and clears its page's flag when it closes.
#ifndef ZUVELS_CONFIG_CONFIG_DIALOGS_H
#define ZUVELS_CONFIG_CONFIG_DIALOGS_H

#include <windows.h>

// Actuator corrections, opened from the options page; clears optionsDialogOpen.
void openCorrectionsDialog(HWND parent);
// Gas level sensor, opened from the configuration page; clears configDialogOpen.
void openLevelSensorDialog(HWND parent);
// Constructed lambda emulation, opened by choosing it on the configuration
// page; clears configDialogOpen.
void openLambdaEmulationDialog(HWND parent);

#endif
