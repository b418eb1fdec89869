// The modal dialogs of the configuration and options pages. Each sets its
// page's flag before it opens, so the page stops polling, polls the controller
// on its own timer while it is open, and clears the flag when it closes.
#ifndef ZUVELS_CONFIG_CONFIG_DIALOGS_H
#define ZUVELS_CONFIG_CONFIG_DIALOGS_H

#include <windows.h>

// Actuator corrections, opened from the options page; its flag is optionsDialogOpen.
void openCorrectionsDialog(HWND parent);
// Gas level sensor, opened from the configuration page; its flag is configDialogOpen.
void openLevelSensorDialog(HWND parent);
// Constructed lambda emulation, opened by choosing it on the configuration
// page; its flag is configDialogOpen.
void openLambdaEmulationDialog(HWND parent);

#endif
