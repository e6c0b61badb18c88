// HLS playlists: a master playlist is followed to its highest-bandwidth variant, a media
// playlist becomes the item's parts, keys and map address, and what cannot be downloaded
// (DRM, live streams, empty or oversized playlists) is refused with one sentence.
//
// ProbePlaylist runs on the probe thread or the worker; it fetches and parses without the
// manager lock and takes it only for the final update. The parsing functions are pure.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/download_manager.h"

namespace vonu {

// Playlists are fetched whole into memory, at most this many bytes each; a longer one is
// refused rather than parsed cut short.
inline constexpr size_t kPlaylistCap = 16777216;
// More parts than this are refused: each costs memory for the whole run (about 200 bytes),
// and two million parts of even one second are more than three weeks of video.
inline constexpr size_t kMaxVideoParts = 2000000;

inline constexpr wchar_t kNoVideoFound[] = L"No video found in the playlist";
inline constexpr wchar_t kNotAPlaylist[] = L"This address is not a video playlist";
inline constexpr wchar_t kProtectedVideo[] = L"This video is protected (DRM) and cannot be downloaded";
inline constexpr wchar_t kLiveStream[] = L"Live streams are not supported yet";
inline constexpr wchar_t kNoParts[] = L"The playlist has no video parts";
inline constexpr wchar_t kPlaylistTooLarge[] = L"The playlist is too large (more than 16 MiB)";
inline constexpr wchar_t kTooManyParts[] = L"The playlist has too many video parts";

// The value of NAME= in a tag line, where NAME starts the line or follows ":" or ","
// (case-sensitive); a quoted value runs to the next quote, another to the next ",".
// Empty when the attribute is missing.
std::wstring PlaylistAttribute(std::wstring_view line, std::wstring_view name);

// The body read as UTF-8, split at LF, each line without trailing CR and spaces.
std::vector<std::wstring> PlaylistLines(const std::string& body);

// The body is a master playlist (it lists variants).
bool IsMasterPlaylist(const std::string& body);

// The variant address with the highest BANDWIDTH (the first of equals), resolved against
// base; empty when the master lists none.
std::wstring ChooseVariant(const std::string& body, const std::wstring& base);

struct MediaPlaylist {
    std::vector<VideoPart> parts;
    std::vector<VideoKey> keys;
    std::wstring mapAddress;
};

// Parses a media playlist; false with one of the sentences above.
[[nodiscard]] bool ParseMediaPlaylist(const std::string& body, const std::wstring& base, MediaPlaylist& out,
                                      std::wstring& error);

// Reads the item's playlist into its part list, key list and map address and names the
// video (unless the user chose the path). False: the item's last error says why (unless
// cancelled), and the item keeps what it had.
bool ProbePlaylist(DownloadManager& m, DownloadItem& item);

}  // namespace vonu
