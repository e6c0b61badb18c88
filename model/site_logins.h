// Site logins: a user name and password for the servers whose host matches the site
// pattern. Kept in logins.ini with each password protected by the user's Windows data
// protection (CryptProtectData) and stored as lowercase hexadecimal; plain only in memory.
// Guarded by the category lock; the lookup is LoginForHost in model/hosts.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/download_manager.h"

namespace vonu {

// The protected password as lowercase hex, two digits a byte; empty when protection fails
// (the password is then not kept, never stored in the clear).
std::wstring ProtectPassword(std::wstring_view password);

// The password back from its hex form; empty for an empty, malformed or foreign value
// (a file copied from another Windows account cannot be unprotected).
std::wstring UnprotectPassword(std::wstring_view hex);

std::vector<SiteLogin> CopyLogins(DownloadManager& m);
// Replaces the list in memory; save with SaveCategoriesLoginsAndLimits.
void ReplaceLogins(DownloadManager& m, std::vector<SiteLogin> logins);

// logins.ini. Caller holds the category lock.
void LoadLoginsLocked(DownloadManager& m, const std::wstring& loginsPath);
std::wstring LoginsText(const std::vector<SiteLogin>& logins);

}  // namespace vonu
