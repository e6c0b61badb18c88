// The signature of update descriptions: the maker's published sample verifies with the key
// built into the program, and descriptions signed at test time with a throw-away key
// verify with that key and with no other, and not once anything signed was changed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "app/version_repair.h"
#include "model/text_encoding.h"
#include "tests/support/temp_folder.h"
#include "tests/update/update_fixtures.h"
#include "update/maker_key.h"
#include "update/update_description.h"
#include "update/update_signature.h"

namespace vonu {
namespace {

using test::Fixtures;
using test::ReadBytes;
using test::SampleFile;

VerificationKey TestKey() { return VerificationKey(Fixtures().testKey); }

std::optional<UpdateDescription> MakerSample() {
    return ParseUpdateDescription(ReadBytes(SampleFile(L"maker-signed-sample.json")));
}

bool Verifies(VerificationKey key, const UpdateDescription& d) {
    return VerifyUpdateSignature(key, d.version, d.sha256, d.size, d.signature);
}

TEST(UpdateSignature, TheBuiltInKeyIsTheMakersBlob) {
    const std::array<uint8_t, 72> published = test::MakerKeyFromFile();
    const VerificationKey built = MakerVerificationKey();
    ASSERT_TRUE(std::equal(built.begin(), built.end(), published.begin())) << "the maker's key file was read";
    EXPECT_EQ(std::string(published.begin(), published.begin() + 8), std::string("ECS1\x20\0\0\0", 8));

    // The program file carries exactly that blob, once (the test fixtures rely on it too).
    const std::string program = ReadBytes(ProgramFolder() + L"\\Vonu.exe");
    ASSERT_GT(program.size(), 100000u);
    const std::string blob(published.begin(), published.end());
    const size_t first = program.find(blob);
    ASSERT_NE(first, std::string::npos) << "Vonu.exe carries the maker's key";
    EXPECT_EQ(program.find(blob, first + 1), std::string::npos) << "and only once";
}

TEST(UpdateSignature, TheMakersSampleVerifiesWithTheBuiltInKeyAndNotOnceChanged) {
    const auto sample = MakerSample();
    ASSERT_TRUE(sample.has_value());
    const std::optional<std::array<uint8_t, 32>> payload =
        Sha256(ReadBytes(SampleFile(L"maker-signed-sample-payload.bin")));
    ASSERT_TRUE(payload.has_value());
    EXPECT_EQ(HexDigest(*payload), sample->sha256) << "the sample describes its payload";
    EXPECT_EQ(sample->size, 33);
    EXPECT_TRUE(Verifies(MakerVerificationKey(), *sample));
    ASSERT_TRUE(Fixtures().ok) << WideToUtf8(Fixtures().error);
    EXPECT_FALSE(Verifies(TestKey(), *sample)) << "another key does not accept it";

    // Any one character of version and sha256 changed, and each digit of size changed.
    auto changedChar = [](wchar_t c) {
        return c == L'9' ? L'8' : (c == L'f' ? L'e' : static_cast<wchar_t>(c + 1));
    };
    for (size_t i = 0; i < sample->version.size(); ++i) {
        UpdateDescription d = *sample;
        d.version[i] = changedChar(d.version[i]);
        EXPECT_FALSE(Verifies(MakerVerificationKey(), d)) << "version " << WideToUtf8(d.version);
    }
    for (size_t i = 0; i < sample->sha256.size(); ++i) {
        UpdateDescription d = *sample;
        d.sha256[i] = changedChar(d.sha256[i]);
        EXPECT_FALSE(Verifies(MakerVerificationKey(), d)) << "sha256 digit " << i;
    }
    for (int64_t size : {int64_t{32}, int64_t{34}, int64_t{43}, int64_t{23}, int64_t{330}, int64_t{-33}}) {
        UpdateDescription d = *sample;
        d.size = size;
        EXPECT_FALSE(Verifies(MakerVerificationKey(), d)) << "size " << size;
    }
    // Every byte of the signature.
    const std::string signature = test::FromBase64(sample->signature);
    ASSERT_EQ(signature.size(), 64u);
    for (size_t i = 0; i < signature.size(); ++i) {
        UpdateDescription d = *sample;
        std::string bytes = signature;
        bytes[i] = static_cast<char>(bytes[i] ^ 0x01);
        d.signature = test::Base64(bytes);
        EXPECT_FALSE(Verifies(MakerVerificationKey(), d)) << "signature byte " << i;
    }
}

TEST(UpdateSignature, TheSignedMessage) {
    EXPECT_EQ(SignedUpdateMessage(L"1.3.0", L"AB" + std::wstring(62, L'c'), 4096).value_or("(none)"),
              "vonu-update\n1.3.0\nab" + std::string(62, 'c') + "\n4096");
    EXPECT_EQ(SignedUpdateMessage(L"7", std::wstring(64, L'F'), -5).value_or("(none)"),
              "vonu-update\n7\n" + std::string(64, 'f') + "\n-5");
}

TEST(UpdateSignature, OnlyPlainVersionsAndHexDigestsCanBeSigned) {
    struct Case {
        const wchar_t* version;
        bool plain;
    } const versions[] = {
        {L"1", true},      {L"1.2", true},        {L"1.2.3", true},     {L"10.20.30.40", true},
        {L"0001.0", true}, {L"", false},          {L"1.", false},       {L".1", false},
        {L"1..2", false},  {L"1.2.3.4.5", false}, {L"1.2-beta", false}, {L"v1.2", false},
        {L" 1.2", false},  {L"1\u202E2", false},  {L"\u0661.2", false}, {L"..\\..\\x", false},
    };
    for (const Case& c : versions) {
        SCOPED_TRACE(WideToUtf8(c.version));
        EXPECT_EQ(IsPlainVersion(c.version), c.plain);
        EXPECT_EQ(SignedUpdateMessage(c.version, std::wstring(64, L'a'), 1).has_value(), c.plain);
    }
    EXPECT_TRUE(IsSha256Text(std::wstring(32, L'a') + std::wstring(32, L'F')));
    EXPECT_TRUE(IsSha256Text(L"0123456789abcdefABCDEF0123456789abcdefABCDEF0123456789abcdef0123"));
    EXPECT_FALSE(IsSha256Text(std::wstring(63, L'a')));
    EXPECT_FALSE(IsSha256Text(std::wstring(65, L'a')));
    EXPECT_FALSE(IsSha256Text(std::wstring(63, L'a') + L"g"));
    EXPECT_FALSE(IsSha256Text(std::wstring(63, L'a') + L"\u0161"));  // its low byte is 'a'
}

TEST(UpdateSignature, TestKeySignaturesVerifyWithTheTestKeyOnly) {
    ASSERT_TRUE(Fixtures().ok) << WideToUtf8(Fixtures().error);
    for (const auto& [name, c] : Fixtures().signedCases) {
        SCOPED_TRACE(WideToUtf8(name));
        EXPECT_TRUE(VerifyUpdateSignature(TestKey(), c.version, c.sha256, c.size, c.signature));
        EXPECT_FALSE(VerifyUpdateSignature(MakerVerificationKey(), c.version, c.sha256, c.size, c.signature));
    }
}

TEST(UpdateSignature, ChangedOrMalformedInputsFail) {
    ASSERT_TRUE(Fixtures().ok) << WideToUtf8(Fixtures().error);
    const test::SignedCase& c = Fixtures().signedCases.at(L"unit");
    const std::string sig = test::FromBase64(c.signature);
    ASSERT_EQ(sig.size(), 64u);
    std::wstring upper = c.sha256;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](wchar_t ch) { return static_cast<wchar_t>(towupper(ch)); });
    // Characters whose low byte is the one signed ("." for U+202E, "0" for U+0130, "a" for
    // U+0161): the low byte of each unit once made them sign the same.
    std::wstring rlo = c.version, dotless = c.version, sha = c.sha256;
    std::replace(rlo.begin(), rlo.end(), L'.', L'\u202E');
    std::replace(dotless.begin(), dotless.end(), L'0', L'\u0130');
    sha[sha.find(L'a')] = L'\u0161';

    struct Case {
        const char* name;
        std::wstring version, sha256, signature;
        int64_t size;
        bool verifies;
    } const cases[] = {
        {"as signed", c.version, c.sha256, c.signature, c.size, true},
        {"sha256 in upper case", c.version, upper, c.signature, c.size, true},
        {"one size digit changed", c.version, c.sha256, c.signature, c.size + 10, false},
        {"version changed", L"1.3.1", c.sha256, c.signature, c.size, false},
        {"right-to-left override for the dots", rlo, c.sha256, c.signature, c.size, false},
        {"dotted capital I for the zeros", dotless, c.sha256, c.signature, c.size, false},
        {"a hex digit's look-alike", c.version, sha, c.signature, c.size, false},
        {"empty signature", c.version, c.sha256, L"", c.size, false},
        {"not Base64", c.version, c.sha256, L"%%%%not base64%%%%", c.size, false},
        {"63 bytes", c.version, c.sha256, test::Base64(sig.substr(0, 63)), c.size, false},
        {"65 bytes", c.version, c.sha256, test::Base64(sig + '\0'), c.size, false},
        {"128 bytes", c.version, c.sha256, test::Base64(sig + sig), c.size, false},
        {"129 bytes", c.version, c.sha256, test::Base64(sig + sig + 'x'), c.size, false},
        {"4 KiB", c.version, c.sha256, test::Base64(std::string(4096, 'x')), c.size, false},
        {"s and r swapped", c.version, c.sha256, test::Base64(sig.substr(32) + sig.substr(0, 32)), c.size,
         false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(VerifyUpdateSignature(TestKey(), k.version, k.sha256, k.size, k.signature), k.verifies);
    }
}

TEST(UpdateSignature, Sha256AndHex) {
    const auto abc = Sha256("abc");
    ASSERT_TRUE(abc.has_value());
    EXPECT_EQ(HexDigest(*abc), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const auto empty = Sha256("");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(HexDigest(*empty), L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

}  // namespace
}  // namespace vonu
