#include "shell/app_state.h"

bool serviceDialogOpen = false;
bool dropDownOpen = false;
bool configDialogOpen = false;
bool optionsDialogOpen = false;
int armedInterval = 0;

Page PageKind = PageReadings;
int SizeMode = 1;
DashboardScaleValue DashboardScale = {0.8, 0.77};

char LanguageCode[64] = "pol";
