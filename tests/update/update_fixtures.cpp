#include "tests/update/update_fixtures.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <sstream>

#include "model/text_encoding.h"
#include "tests/support/temp_folder.h"

namespace vonu::test {
namespace {

// Where the build put them (tests/CMakeLists.txt), as Z:\ paths with forward slashes.
std::wstring WindowsPath(const char* path) {
    std::wstring p(path, path + strlen(path));
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    return p;
}

bool HexBlob(const std::string& text, std::array<uint8_t, 72>& out) {
    if (text.size() < 144) return false;
    for (size_t i = 0; i < 72; ++i)
        out[i] = static_cast<uint8_t>(std::stoul(text.substr(2 * i, 2), nullptr, 16));
    return true;
}

UpdateFixtures Load() {
    UpdateFixtures f;
    f.folder = WindowsPath(VONU_UPDATE_FIXTURES);
    if (!HexBlob(ReadBytes(f.folder + L"\\test-key.txt"), f.testKey)) {
        f.error = L"no test key in " + f.folder + L" (the update_fixtures ctest step makes it)";
        return f;
    }
    std::istringstream lines(ReadBytes(f.folder + L"\\signed.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, version, sha, size, signature;
        if (!std::getline(fields, name, '\t') || !std::getline(fields, version, '\t') ||
            !std::getline(fields, sha, '\t') || !std::getline(fields, size, '\t') ||
            !std::getline(fields, signature, '\t'))
            continue;
        f.signedCases[Utf8ToWide(name)] = {Utf8ToWide(version), Utf8ToWide(sha), Utf8ToWide(signature),
                                           std::stoll(size)};
    }
    f.ok = f.signedCases.size() == 4;
    if (!f.ok) f.error = L"signed.txt is incomplete in " + f.folder;
    return f;
}

}  // namespace

const UpdateFixtures& Fixtures() {
    static const UpdateFixtures f = Load();
    return f;
}

std::wstring SampleFile(const std::wstring& name) { return WindowsPath(VONU_UPDATE_SAMPLES) + L"\\" + name; }

std::array<uint8_t, 72> MakerKeyFromFile() {
    std::array<uint8_t, 72> key{};
    std::istringstream lines(ReadBytes(SampleFile(L"update-verification-key.txt")));
    std::string line;
    while (std::getline(lines, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.size() == 144 && line.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos &&
            HexBlob(line, key))
            break;
    }
    return key;
}

std::string DescriptionJson(const SignedCase& c, const std::wstring& exe, const std::wstring& page,
                            const std::string& notesEn, const std::string& notesAr) {
    return "{\n \"version\": \"" + WideToUtf8(c.version) + "\",\n \"date\": \"2026-12-10\",\n \"page\": \"" +
           WideToUtf8(page) + "\",\n \"exe\": \"" + WideToUtf8(exe) + "\",\n \"sha256\": \"" +
           WideToUtf8(c.sha256) + "\",\n \"signature\": \"" + WideToUtf8(c.signature) +
           "\",\n \"size\": " + std::to_string(c.size) + ",\n \"notes_en\": " + notesEn +
           ",\n \"notes_ar\": " + notesAr + "\n}\n";
}

std::wstring Base64(const std::string& bytes) {
    DWORD n = 0;
    const auto* data = reinterpret_cast<const BYTE*>(bytes.data());
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    CryptBinaryToStringW(data, static_cast<DWORD>(bytes.size()), flags, nullptr, &n);
    std::wstring text(n, L'\0');
    CryptBinaryToStringW(data, static_cast<DWORD>(bytes.size()), flags, text.data(), &n);
    text.resize(n);
    return text;
}

std::string FromBase64(const std::wstring& text) {
    DWORD n = 0;
    CryptStringToBinaryW(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64, nullptr, &n,
                         nullptr, nullptr);
    std::string bytes(n, '\0');
    CryptStringToBinaryW(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                         reinterpret_cast<BYTE*>(bytes.data()), &n, nullptr, nullptr);
    bytes.resize(n);
    return bytes;
}

}  // namespace vonu::test
