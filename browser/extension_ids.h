// Identifiers the browsers use for the program's extension, as the maker holds them with the
// extension's key pair and store listings. The host manifests allow exactly these, the
// command line recognises a browser start by the Chromium origin prefix or the Firefox
// identifier, and the extension's own manifest carries the same values: change all together.
#pragma once

namespace vonu {

// The Chromium-family identifiers, in the order the host manifest lists them: the one the
// extension's "key" derives (the unpacked extension and the copy the setup program carries),
// the Chrome store listing, the Edge store listing.
inline constexpr const wchar_t* kChromiumExtensionIds[] = {
    L"ebloapjomelhfanddmhchpcihdakchkn",
    L"ddoggmcbcofmfcekejkmdmpfgaakjhpi",
    L"dfglpgkpfiafnbfebeoihnfccgmekdbc",
};
inline constexpr wchar_t kFirefoxExtensionId[] = L"integration@vonu.app";
inline constexpr wchar_t kChromiumOriginPrefix[] = L"chrome-extension://";

}  // namespace vonu
