// What the update_fixtures ctest step (tests/update/make_update_fixtures.py) made for this
// run: a throw-away key pair, the real Vonu.exe patched to trust it, a "new build" of it, and
// descriptions signed with it, in the folder VONU_UPDATE_FIXTURES names; the maker's published
// key and sample in VONU_UPDATE_SAMPLES (tests/update/fixtures). Both are compile definitions.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace vonu::test {

struct SignedCase {
    std::wstring version, sha256, signature;
    int64_t size = 0;
};

struct UpdateFixtures {
    bool ok = false;
    std::wstring error;
    std::wstring folder;                             // the fixtures folder, Z:\...
    std::array<uint8_t, 72> testKey{};               // ECCPUBLICBLOB of the throw-away key
    std::map<std::wstring, SignedCase> signedCases;  // "newbuild", "same", "trickle", "unit"
    std::wstring trustingExe() const { return folder + L"\\Vonu-testkey.exe"; }
    std::wstring newBuild() const { return folder + L"\\Vonu-testkey-new.exe"; }
};

const UpdateFixtures& Fixtures();

// tests/update/fixtures/NAME (the maker's key text and signed sample).
std::wstring SampleFile(const std::wstring& name);

// The 72 bytes written in hexadecimal in the maker's key file.
std::array<uint8_t, 72> MakerKeyFromFile();

// A description's JSON text (UTF-8) with the given members in this order; `notesAr` and the
// others may be empty. String values are written as given (callers escape what needs it).
std::string DescriptionJson(const SignedCase& c, const std::wstring& exe, const std::wstring& page = L"",
                            const std::string& notesEn = R"(["Faster downloads", "Fewer crashes"])",
                            const std::string& notesAr = "[]");

std::wstring Base64(const std::string& bytes);
std::string FromBase64(const std::wstring& text);

}  // namespace vonu::test
