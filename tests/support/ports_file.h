// The NAME=VALUE file a server fixture writes for the tests (its ports and folders), found
// through the environment variable the fixture's ctest entry sets.
#pragma once

#include <map>
#include <string>

namespace vonu::test {

struct PortsFile {
    std::map<std::string, std::string> values;
    std::wstring path;   // the file read
    std::wstring error;  // non-empty when the variable is missing or the file unreadable

    int Port(const std::string& name) const;
    // A Unix path value as the tests under Wine see it (Z:\...).
    std::wstring WindowsPath(const std::string& name) const;
};

PortsFile ReadPortsFile(const wchar_t* environmentVariable, const wchar_t* fixture);

}  // namespace vonu::test
