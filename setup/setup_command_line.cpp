#include "setup/setup_command_line.h"

namespace vonu {

SetupCommandLine ParseSetupCommandLine(std::wstring_view line) {
    SetupCommandLine c;
    size_t i = 0;
    while (i < line.size()) {
        // The next word: a quoted one is skipped whole (the program path comes first).
        if (line[i] == L' ' || line[i] == L'\t') {
            ++i;
            continue;
        }
        if (line[i] == L'"') {
            const size_t close = line.find(L'"', i + 1);
            i = close == std::wstring_view::npos ? line.size() : close + 1;
            continue;
        }
        size_t end = i;
        std::wstring_view name;
        std::wstring value;
        bool valued = false;
        while (end < line.size() && line[end] != L' ' && line[end] != L'\t' && line[end] != L'=') ++end;
        name = line.substr(i, end - i);
        if (end < line.size() && line[end] == L'=') {
            valued = true;
            size_t v = end + 1;
            if (v < line.size() && line[v] == L'"') {
                const size_t close = line.find(L'"', v + 1);
                const size_t stop = close == std::wstring_view::npos ? line.size() : close;
                value.assign(line.substr(v + 1, stop - v - 1));
                end = stop == line.size() ? stop : stop + 1;
            } else {
                size_t stop = v;
                while (stop < line.size() && line[stop] != L' ' && line[stop] != L'\t') ++stop;
                value.assign(line.substr(v, stop - v));
                end = stop;
            }
        } else {
            // A word without "=" may still hold a quote further on (a stray token): skip it.
            while (end < line.size() && line[end] != L' ' && line[end] != L'\t') ++end;
        }
        i = end;
        if (!valued) {
            if (name == L"/uninstall") c.uninstall = true;
            if (name == L"/elevated") c.elevated = true;
            continue;
        }
        if (name == L"/lang") c.lang = value;
        else if (name == L"/dir") c.dir = value;
        else if (name == L"/desktop") c.desktop = value;
        else if (name == L"/startmenu") c.startMenu = value;
        else if (name == L"/autorun") c.autorun = value;
    }
    return c;
}

bool QuotedSwitch(std::wstring_view name, std::wstring_view value, std::wstring* out) {
    if (value.find(L'"') != std::wstring_view::npos) return false;
    *out = L"/" + std::wstring(name) + L"=\"" + std::wstring(value) + L"\"";
    return true;
}

}  // namespace vonu
