#include "tests/support/ports_file.h"

#include <cstdlib>
#include <fstream>

namespace vonu::test {

int PortsFile::Port(const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? 0 : std::atoi(it->second.c_str());
}

std::wstring PortsFile::WindowsPath(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end() || it->second.empty()) return {};
    std::wstring path(it->second.begin(), it->second.end());
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return L"Z:" + path;
}

PortsFile ReadPortsFile(const wchar_t* environmentVariable, const wchar_t* fixture) {
    PortsFile f;
    const wchar_t* file = _wgetenv(environmentVariable);
    if (!file || !*file) {
        f.error = std::wstring(environmentVariable) + L" is not set: run the test through ctest (" + fixture +
                  L" fixture)";
        return f;
    }
    f.path = file;
    std::ifstream in(file);
    if (!in) {
        f.error = L"cannot read " + f.path;
        return f;
    }
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) f.values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return f;
}

}  // namespace vonu::test
