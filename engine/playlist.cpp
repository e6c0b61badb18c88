#include "engine/playlist.h"

#include <windows.h>

#include <mutex>

#include "engine/ffmpeg.h"
#include "engine/fetch.h"
#include "engine/naming.h"
#include "engine/probe.h"
#include "engine/url.h"
#include "model/categories.h"
#include "model/decimal.h"
#include "model/download_manager.h"
#include "model/text_case.h"
#include "model/text_encoding.h"

namespace vonu {

namespace {

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// Leading decimal digits; 0 for none or for more than 63 bits (a playlist cannot make us wrap).
int64_t DecimalPrefix(std::wstring_view text) {
    size_t i = 0;
    return DigitsAt(text, i).value_or(0);
}

// IV=0x + 32 hex digits; false for anything else (the IV then comes from the sequence).
bool ParseIv(const std::wstring& text, std::array<uint8_t, 16>& iv) {
    if (text.size() != 34 || (text[1] != L'x' && text[1] != L'X')) return false;
    std::array<uint8_t, 16> bytes{};
    for (size_t i = 0; i < 16; ++i) {
        const int hi = HexDigitValue(text[2 + 2 * i]), lo = HexDigitValue(text[3 + 2 * i]);
        if (hi < 0 || lo < 0) return false;
        bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    iv = bytes;
    return true;
}

bool Contains(const std::string& body, const char* text) { return body.find(text) != std::string::npos; }

// One fetch of a playlist; the body past the cap is refused, never parsed cut short.
bool FetchPlaylist(DownloadManager& m, DownloadItem& item, const std::wstring& address, std::string& body, std::wstring& base,
                   std::wstring& error) {
    std::wstring finalAddress;
    if (!FetchToMemory(m, item, address, body, error, false, &finalAddress, nullptr, kPlaylistCap)) return false;
    if (body.size() >= kPlaylistCap) {
        body.clear();
        error = kPlaylistTooLarge;
        return false;
    }
    base = finalAddress.empty() ? address : finalAddress;
    return true;
}

}  // namespace

std::wstring PlaylistAttribute(std::wstring_view line, std::wstring_view name) {
    std::wstring key(name);
    key += L'=';
    size_t at = 0;
    while ((at = line.find(key, at)) != std::wstring_view::npos) {
        if (at == 0 || line[at - 1] == L':' || line[at - 1] == L',') break;
        ++at;
    }
    if (at == std::wstring_view::npos) return {};
    size_t from = at + key.size();
    size_t to;
    if (from < line.size() && line[from] == L'"') {
        ++from;
        to = line.find(L'"', from);
    } else {
        to = line.find(L',', from);
    }
    if (to == std::wstring_view::npos) to = line.size();
    return std::wstring(line.substr(from, to - from));
}

std::vector<std::wstring> PlaylistLines(const std::string& body) {
    const std::wstring text = Utf8ToWide(body);
    std::vector<std::wstring> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find(L'\n', from);
        if (end == std::wstring::npos) end = text.size();
        size_t last = end;
        while (last > from && (text[last - 1] == L'\r' || text[last - 1] == L' ')) --last;
        lines.emplace_back(text, from, last - from);
        from = end + 1;
    }
    return lines;
}

bool IsMasterPlaylist(const std::string& body) { return body.size() >= 17 && Contains(body, "#EXT-X-STREAM-INF"); }

std::wstring ChooseVariant(const std::string& body, const std::wstring& base) {
    int64_t best = -1, current = 0;
    bool expectAddress = false;
    std::wstring chosen;
    for (const std::wstring& line : PlaylistLines(body)) {
        if (StartsWith(line, L"#EXT-X-STREAM-INF:")) {
            current = DecimalPrefix(PlaylistAttribute(line, L"BANDWIDTH"));
            expectAddress = true;
        } else if (expectAddress && !line.empty() && line[0] != L'#') {
            if (current > best) {
                chosen = ResolveAddress(base, line);
                best = current;
            }
            expectAddress = false;
        }
    }
    return chosen;
}

bool ParseMediaPlaylist(const std::string& body, const std::wstring& base, MediaPlaylist& out, std::wstring& error) {
    out = MediaPlaylist{};
    if (body.size() < 7 || !Contains(body, "#EXTM3U")) {
        error = kNotAPlaylist;
        return false;
    }
    int32_t keyIndex = -1;
    bool explicitIv = false, endMarker = false, isProtected = false;
    std::array<uint8_t, 16> iv{};
    uint64_t sequence = 0;  // unsigned: a huge first number wraps instead of overflowing
    for (const std::wstring& line : PlaylistLines(body)) {
        if (line.empty()) continue;
        if (StartsWith(line, L"#EXT-X-MEDIA-SEQUENCE:")) {
            sequence = static_cast<uint64_t>(DecimalPrefix(std::wstring_view(line).substr(22)));
        } else if (StartsWith(line, L"#EXT-X-KEY:")) {
            const std::wstring method = PlaylistAttribute(line, L"METHOD");
            if (method == L"NONE") {
                keyIndex = -1;
                explicitIv = false;
            } else if (method == L"AES-128") {
                const std::wstring uri = PlaylistAttribute(line, L"URI");
                out.keys.push_back(VideoKey{uri.empty() ? std::wstring() : ResolveAddress(base, uri), false, {}});
                keyIndex = static_cast<int32_t>(out.keys.size() - 1);
                explicitIv = ParseIv(PlaylistAttribute(line, L"IV"), iv);
                if (!explicitIv) iv = {};
            } else {
                isProtected = true;
            }
        } else if (StartsWith(line, L"#EXT-X-MAP:")) {
            const std::wstring uri = PlaylistAttribute(line, L"URI");
            out.mapAddress = uri.empty() ? std::wstring() : ResolveAddress(base, uri);
        } else if (line == L"#EXT-X-ENDLIST") {
            endMarker = true;
        } else if (line[0] == L'#') {
            continue;
        } else {
            if (out.parts.size() >= kMaxVideoParts) {
                out = MediaPlaylist{};
                error = kTooManyParts;
                return false;
            }
            VideoPart part;
            part.address = ResolveAddress(base, line);
            part.keyIndex = keyIndex;
            part.explicitIv = explicitIv;
            part.iv = explicitIv ? iv : std::array<uint8_t, 16>{};
            part.sequence = static_cast<int64_t>(sequence);
            out.parts.push_back(std::move(part));
            ++sequence;
        }
    }
    if (isProtected)
        error = kProtectedVideo;
    else if (!endMarker)
        error = kLiveStream;
    else if (out.parts.empty())
        error = kNoParts;
    else
        return true;
    out = MediaPlaylist{};
    return false;
}

bool ProbePlaylist(DownloadManager& m, DownloadItem& item) {
    item.probing.exchange(true);
    std::wstring url;
    {
        std::lock_guard guard(m.lock);
        url = item.url;
    }

    std::string body;
    std::wstring base, error;
    MediaPlaylist playlist;
    bool ok = FetchPlaylist(m, item, url, body, base, error);
    if (ok && IsMasterPlaylist(body)) {
        const std::wstring variant = ChooseVariant(body, base);
        if (variant.empty()) {
            error = kNoVideoFound;
            ok = false;
        } else {
            ok = FetchPlaylist(m, item, variant, body, base, error);
            // One level only: a variant that is a master again has no parts to offer.
            if (ok && IsMasterPlaylist(body)) {
                error = kNoVideoFound;
                ok = false;
            }
        }
    }
    if (ok) ok = ParseMediaPlaylist(body, base, playlist, error);
    body = std::string();

    const std::wstring ffmpeg = ok && playlist.mapAddress.empty() ? FindFfmpeg() : std::wstring();
    if (!ok) {
        std::lock_guard guard(m.lock);
        if (!item.cancel.load()) item.lastError = error;
        m.listDirty = true;
        item.probing.exchange(false);
        return false;
    }
    std::wstring name;
    {
        std::lock_guard guard(m.lock);
        item.parts = std::move(playlist.parts);
        item.keys = std::move(playlist.keys);
        item.mapAddress = std::move(playlist.mapAddress);
        item.partCount = static_cast<int32_t>(item.parts.size());
        const size_t dot = item.fileName.rfind(L'.');
        std::wstring stem = dot == std::wstring::npos ? item.fileName : item.fileName.substr(0, dot);
        const std::wstring lower = LowerAscii(stem);
        if (stem.empty() || lower == L"index" || lower == L"master" || lower == L"playlist") stem = L"video";
        name = SanitizeFileName(stem + (!item.mapAddress.empty() || !ffmpeg.empty() ? L".mp4" : L".ts"));
    }
    StoreProbeFindings(m, item, {-1, true, name, L"Video"});
    item.probing.exchange(false);
    return ok;
}

}  // namespace vonu
