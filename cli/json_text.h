// The --json outputs' objects, laid out as dump lays out its own: one member
// a line, two spaces in; a list's items one a line, four spaces in. Values
// are JSON already (jsonQuoted in cli/fields.h for strings). Portable.
#ifndef ZUVELS_CLI_JSON_TEXT_H
#define ZUVELS_CLI_JSON_TEXT_H

#include <string>
#include <utility>
#include <vector>

using JsonMembers = std::vector<std::pair<const char*, std::string>>;

// {"name": "COM3", "description": ""} on one line.
std::string jsonInline(const JsonMembers& members);
// [ the items, one a line ], or [] when there are none.
std::string jsonList(const std::vector<std::string>& items);
// The whole object with a line end.
std::string jsonObject(const JsonMembers& members);

#endif
