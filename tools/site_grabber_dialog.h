// The site grabber, "File Finder": a start page, how deep to follow links, the file types;
// the crawl (tools/site_crawl.h) runs on its own thread while the dialog shows its finds
// every 300 ms; the ticked files go to the default queue with their page as referrer.
// Closing the dialog in any way stops the crawl. User-interface thread; modal to `owner`.
#pragma once

#include <windows.h>

namespace vonu {

// The command "Site Grabber...": true when files were added.
bool RunSiteGrabber(HWND owner);

}  // namespace vonu
