// The setup program's command line: "/uninstall", "/elevated" and the valued switches
// "/lang=", "/dir=", "/desktop=", "/startmenu=", "/autorun=". A value in double quotes runs to
// the next double quote (or the end), any other to the next space (or the end).
//
// The line is read switch by switch from the left, so a text inside a quoted value (a folder
// named "C:\x /autorun=1") is part of that value and never a switch of its own. A missing
// switch gives an empty value.
#pragma once

#include <string>
#include <string_view>

namespace vonu {

struct SetupCommandLine {
    bool uninstall = false;
    bool elevated = false;
    std::wstring lang, dir, desktop, startMenu, autorun;
};

SetupCommandLine ParseSetupCommandLine(std::wstring_view line);

// The switch text for a value, quoted; false when the value cannot be carried whole (it holds
// a double quote, which would end it early).
bool QuotedSwitch(std::wstring_view name, std::wstring_view value, std::wstring* out);

}  // namespace vonu
