// The road-test picture the window draws (File > "Road-test picture..."):
// from a road-test CSV as lpgctl log writes it, or from a recording played
// back through the readings page's poll cycle on the recording's own clock,
// the picture lpgctl plot draws. Portable.
#ifndef ZUVELS_SHELL_ROAD_PICTURE_H
#define ZUVELS_SHELL_ROAD_PICTURE_H

#include <string>

struct RoadLog;

// A road-test CSV, else a recording; false with one line for each reading
// in *error. A recording is played through the link on the replay backend:
// the link's port (LinkPort and SelectedPortPath) is put back afterwards,
// selected afresh, and the replay backend holds that recording from then on.
bool roadLogFromFile(const char* path, RoadLog* log, std::string* error);
// The picture of source written to target as a PNG (replacing it whole);
// false with "path: reason" in *error.
bool writeRoadPicture(const char* source, const char* target, std::string* error);

#endif
