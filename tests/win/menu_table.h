// The menu table (res/menus.tsv) read the way the tests hold the compiled
// menus to it: each language's menu resource must be its column, item for
// item, with the command ids of res/resource.h, the page table and the
// language table. Read here on its own, not by the build's generator, so a
// fault of either shows.
#ifndef ZUVELS_TESTS_WIN_MENU_TABLE_H
#define ZUVELS_TESTS_WIN_MENU_TABLE_H

#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>
#include <windows.h>

#include "shell/language_list.h"
#include "shell/page_list.h"
#include "tools/win_run.h"

namespace menutable {

// One item of a menu as shown: a popup has items, a separator neither label
// nor command.
struct MenuNode {
    std::wstring label;
    UINT command = 0;
    bool separator = false, popup = false;
    std::vector<MenuNode> items;
    bool operator==(const MenuNode& o) const {
        return label == o.label && command == o.command && separator == o.separator &&
               popup == o.popup && items == o.items;
    }
};

inline void PrintTo(const MenuNode& n, std::ostream* os) {
    char label[256] = "";
    WideCharToMultiByte(CP_UTF8, 0, n.label.c_str(), -1, label, sizeof label, nullptr, nullptr);
    if (n.separator) {
        *os << "----";
        return;
    }
    *os << '"' << label << "\" " << (n.popup ? "popup" : std::to_string(n.command));
    if (!n.popup) return;
    *os << " {";
    for (const MenuNode& i : n.items) {
        PrintTo(i, os);
        *os << "; ";
    }
    *os << "}";
}

struct Row {
    std::string item, command;
    std::vector<std::string> labels;  // none: the quoted item is the label
};

struct Table {
    std::vector<std::string> codes;  // the label columns
    std::vector<Row> rows;
    std::map<std::string, UINT> ids;  // res/resource.h
};

inline std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back().push_back(c);
    }
    return fields;
}

inline std::vector<std::string> sourceLines(const char* relative) {
    std::vector<std::string> lines;
    const std::string path = wineDrivePath(std::string(ZUVELS_SOURCE_DIR) + "/" + relative);
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return lines;
    std::string line;
    for (int c; (c = std::fgetc(f)) != EOF;) {
        if (c != '\n') {
            line.push_back(static_cast<char>(c));
        } else {
            lines.push_back(line);
            line.clear();
        }
    }
    std::fclose(f);
    return lines;
}

inline Table readTable() {
    Table t;
    std::vector<std::string> lines = sourceLines("res/menus.tsv");
    if (lines.empty()) return t;
    std::vector<std::string> header = splitTabs(lines[0]);
    t.codes.assign(header.begin() + (header.size() > 2 ? 2 : header.size()), header.end());
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> f = splitTabs(lines[i]);
        f.resize(f.size() < 2 ? 2 : f.size());
        t.rows.push_back({f[0], f[1], std::vector<std::string>(f.begin() + 2, f.end())});
    }
    for (const std::string& line : sourceLines("res/resource.h")) {
        char name[64];
        unsigned value;
        if (std::sscanf(line.c_str(), "#define %63s %u", name, &value) == 2) t.ids[name] = value;
    }
    return t;
}

inline std::wstring wide(const std::string& utf8) {
    wchar_t buf[256] = L"";
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, buf, 256);
    return buf;
}

// The command of a row: its id, or for PAGE and LANGUAGE rows the page's or
// the language's row; 0 when none matches.
inline UINT commandOf(const Table& t, const Row& r, const std::string& name) {
    if (r.command == "PAGE") {
        for (const PageEntry& p : AllPages)
            if (name == p.name) return p.command;
        return 0;
    }
    if (r.command == "LANGUAGE") {
        const LanguageRow* l = findLanguage(name.c_str());
        return l ? l->command : 0;
    }
    auto id = t.ids.find(r.command);
    return id == t.ids.end() ? 0 : id->second;
}

// The menu bar the table gives for its label column.
inline std::vector<MenuNode> expectedBar(const Table& t, size_t column) {
    std::vector<MenuNode> bar;
    for (const Row& r : t.rows) {
        const size_t slash = r.item.rfind('/');
        const std::string name = slash == std::string::npos ? r.item : r.item.substr(slash + 1);
        MenuNode n;
        n.separator = r.command == "SEPARATOR";
        n.popup = r.command == "POPUP";
        if (!n.separator) {
            n.label = wide(r.labels.empty()           ? name.substr(1, name.size() - 2)
                           : column < r.labels.size() ? r.labels[column]
                                                      : "?");
            n.command = n.popup ? 0 : commandOf(t, r, name);
        }
        std::vector<MenuNode>& into =
            slash == std::string::npos || bar.empty() ? bar : bar.back().items;
        into.push_back(n);
    }
    return bar;
}

// A loaded menu as the user sees it.
inline std::vector<MenuNode> shownItems(HMENU menu) {
    std::vector<MenuNode> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info = {};
        wchar_t label[256] = L"";
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = label;
        info.cch = 256;
        MenuNode n;
        if (!GetMenuItemInfoW(menu, i, TRUE, &info)) n.label = L"(unreadable)";
        n.separator = (info.fType & MFT_SEPARATOR) != 0;
        n.popup = info.hSubMenu != nullptr;
        if (!n.separator) n.label = label;
        if (n.popup)
            n.items = shownItems(info.hSubMenu);
        else if (!n.separator)
            n.command = info.wID;
        items.push_back(n);
    }
    return items;
}

}  // namespace menutable

#endif
