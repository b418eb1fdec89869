#include "cli/json_text.h"

std::string jsonInline(const JsonMembers& members) {
    std::string text = "{";
    for (const auto& m : members)
        text += (text.size() > 1 ? ", \"" : "\"") + std::string(m.first) + "\": " + m.second;
    return text + "}";
}

std::string jsonList(const std::vector<std::string>& items) {
    if (items.empty()) return "[]";
    std::string text = "[";
    for (const std::string& item : items) text += (text.size() > 1 ? ",\n    " : "\n    ") + item;
    return text + "\n  ]";
}

std::string jsonObject(const JsonMembers& members) {
    std::string text = "{";
    for (const auto& m : members)
        text += (text.size() > 1 ? ",\n  \"" : "\n  \"") + std::string(m.first) + "\": " + m.second;
    return text + "\n}\n";
}
