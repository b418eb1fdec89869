// The modal dialogs the configuration and options pages open. Each is run
// with the page as owner and clears the page's flag (configDialogOpen or
// optionsDialogOpen) when it closes.
#ifndef ZUVELS_CONFIG_CONFIG_DIALOGS_H
#define ZUVELS_CONFIG_CONFIG_DIALOGS_H

#include <windows.h>

void openCorrectionsDialog(HWND parent);      // options page, optionsDialogOpen
void openLevelSensorDialog(HWND parent);      // configuration page, configDialogOpen
void openLambdaEmulationDialog(HWND parent);  // configuration page, configDialogOpen

#endif
