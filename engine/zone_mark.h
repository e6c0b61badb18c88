// The ":Zone.Identifier" stream of a finished file: it tells Windows (SmartScreen, Office's
// protected view) that the file came from the internet, and from where.
#pragma once

#include <string>

namespace vonu {

// The address as it may be written into the mark: line breaks become spaces and any user
// name and password before the host are cut out.
std::wstring CleanAddressForMark(const std::wstring& address);

// "[ZoneTransfer]", "ZoneId=3", then "ReferrerUrl=" and "HostUrl=" lines for the non-empty
// ones, each ending in CR LF.
std::wstring ZoneMarkText(const std::wstring& url, const std::wstring& referrer);

// Writes the mark as UTF-8 into target + ":Zone.Identifier". Failures are ignored (a file
// system without alternate streams, such as FAT32, simply has no mark).
void WriteZoneMark(const std::wstring& target, const std::wstring& url, const std::wstring& referrer);

}  // namespace vonu
