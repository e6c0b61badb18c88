// "Site login": a site, user name and password for the Site logins page of Options. OK keeps
// only the host part of the site (no scheme, path, user part or port) and refuses an empty
// site or user name with a message, keeping the dialog open. Modal to `owner`; uses
// IDD_SITE_LOGIN. User-interface thread.
#pragma once

#include <windows.h>

#include <optional>

#include "model/download_types.h"

namespace vonu {

// The edited record (password as typed), or nothing when cancelled.
std::optional<SiteLogin> EditSiteLoginDialog(HWND owner, const SiteLogin& login);

}  // namespace vonu
