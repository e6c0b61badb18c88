// The extension's decisions, as plain functions without browser calls: which downloads to
// catch, which responses are videos, which stream a button sends, the file names, the serial
// chain and the hand-off. The service worker loads this file first (importScripts in the
// Chromium family, the background "scripts" list in Firefox), the popup includes it, and
// node's test runner requires it; it defines one global, VonuRules.
"use strict";

(function (root) {
  const HOST_NAME = "com.vonu.downloader";

  // Compared with the lower-cased extension of a file name or an address's path.
  const EXTS = new Set(("zip rar 7z tar gz bz2 xz iso tgz cab arj lzh pdf doc docx xls xlsx ppt pptx epub " +
    "odt ods mp3 wav flac aac ogg m4a wma opus exe msi apk dmg deb rpm appimage msix msixbundle mp4 mkv " +
    "avi mov wmv flv webm m4v mpg mpeg 3gp ts").split(" "));
  const MIME_PARTS = ["zip", "rar", "7z", "tar", "gzip", "x-bzip", "x-xz", "iso9660", "msdownload",
    "octet-stream", "x-msi", "android.package", "pdf", "msword", "officedocument", "epub"];

  const FRESH_MS = 20000;         // older downloads come from the browser's history
  const RECENT_MS = 30000;        // the same address again within this time is not handed off twice
  const REPLY_TIMEOUT_MS = 30000; // the host needs at most ~21 s (15 s to start Vonu, 5 s to hand over)
  const VIDEO_LIST_MAX = 15;
  const SMALL_VIDEO_BYTES = 524288;
  const NAME_MAX = 120;

  // YouTube serves audio and video apart, so neither its pages nor its media are offered.
  const YOUTUBE_HOSTS = ["youtube.com", "youtube-nocookie.com", "youtu.be", "googlevideo.com"];

  function isWebAddress(address) {
    return typeof address === "string" && /^https?:/i.test(address);
  }

  function hostOf(address) {
    try {
      return new URL(address).hostname.toLowerCase();
    } catch (e) {
      return "";
    }
  }

  function isYouTubeHost(host) {
    host = String(host || "").toLowerCase();
    return YOUTUBE_HOSTS.some((h) => host === h || host.endsWith("." + h));
  }

  // The address's path with its escapes decoded; the raw path when an escape is broken.
  function decodedPath(address) {
    let path;
    try {
      path = new URL(address).pathname;
    } catch (e) {
      return "";
    }
    try {
      return decodeURIComponent(path);
    } catch (e) {
      return path;
    }
  }

  function lastComponent(path) {
    const parts = String(path || "").split(/[\\/]/);
    return parts[parts.length - 1];
  }

  // 1 to 10 letters or digits after the last dot of the last path component, lower-cased.
  function extensionOf(name) {
    const m = /\.([A-Za-z0-9]{1,10})$/.exec(lastComponent(name));
    return m ? m[1].toLowerCase() : "";
  }

  function mimeIsCatchable(mime) {
    mime = String(mime || "").toLowerCase();
    if (mime.startsWith("video/") || mime.startsWith("audio/")) return true;
    return MIME_PARTS.some((part) => mime.includes(part));
  }

  // A download the browser reports as created: still running (or without a state) and
  // started less than 20 s ago. An unreadable start time is not fresh.
  function isFresh(item, now) {
    if (item.state !== undefined && item.state !== "in_progress") return false;
    const started = Date.parse(item.startTime);
    return Number.isFinite(started) && now - started < FRESH_MS;
  }

  // A web address (blob, data and file addresses stay in the browser) whose file name,
  // path or type is one Vonu takes.
  function isWanted(item) {
    const address = item.finalUrl || item.url;
    if (!isWebAddress(address)) return false;
    if (EXTS.has(extensionOf(item.filename || ""))) return true;
    if (EXTS.has(extensionOf(decodedPath(address)))) return true;
    return mimeIsCatchable(item.mime);
  }

  // Addresses handed off in the last 30 s. seenRecently records the address when it was not.
  class RecentAddresses {
    constructor() {
      this.times = new Map();
    }
    seenRecently(address, now) {
      for (const [a, t] of this.times) if (now - t > RECENT_MS) this.times.delete(a);
      if (this.times.has(address)) return true;
      this.times.set(address, now);
      return false;
    }
  }

  // The whole decision for a created download. `own` is this extension's identifier.
  function shouldCatch(item, { catchOn, now, own, recent }) {
    if (own && item.byExtensionId === own) return false;
    if (!isFresh(item, now)) return false;
    if (catchOn === false) return false;
    if (!isWanted(item)) return false;
    return !recent.seenRecently(item.finalUrl || item.url, now);
  }

  // A page title as a Windows file name: reserved and control characters become spaces,
  // white space runs become one space, trimmed, "video" when nothing is left, 120 at most.
  function cleanName(title) {
    let name = String(title || "").replace(/[<>:"/\\|?*\x00-\x1f]/g, " ");
    name = name.replace(/\s+/g, " ").trim();
    if (!name) name = "video";
    // A trailing space would be cut by Windows; cutting after the limit may leave one.
    return name.slice(0, NAME_MAX).trimEnd() || "video";
  }

  // The name a stream or video is handed off with: the cleaned title plus ".mp4" for a
  // stream or an address without a 2-to-4 character extension, else the address's own.
  function videoFileName(title, address, kind) {
    let ext = ".mp4";
    if (kind !== "Stream") {
      const m = /\.([A-Za-z0-9]{2,4})$/.exec(lastComponent(decodedPath(address)));
      if (m) ext = "." + m[1];
    }
    return cleanName(title) + ext;
  }

  function kindOfAddress(address) {
    return decodedPath(address).toLowerCase().endsWith(".m3u8") ? "Stream" : "Video";
  }

  // What the button over a video sends: the element's own web source, else the tab's oldest
  // stream (usually the master playlist), else its newest entry; null when nothing is known.
  function pickVideo(source, list) {
    if (isWebAddress(source)) return { url: source, kind: kindOfAddress(source) };
    list = Array.isArray(list) ? list : [];
    for (let i = list.length - 1; i >= 0; i--)
      if (list[i].kind === "Stream") return { url: list[i].url, kind: "Stream" };
    return list.length ? { url: list[0].url, kind: list[0].kind } : null;
  }

  function headerValue(headers, name) {
    for (const h of headers || []) if (String(h.name).toLowerCase() === name) return h.value;
    return undefined;
  }

  // A response seen in a tab as a video-list entry, or null. `details` has the fields of a
  // response-started event: tabId, url, statusCode, responseHeaders.
  function videoEntryFor(details) {
    if (!(details.tabId >= 0) || details.statusCode >= 400) return null;
    if (!isWebAddress(details.url) || isYouTubeHost(hostOf(details.url))) return null;
    const type = String(headerValue(details.responseHeaders, "content-type") || "").toLowerCase();
    const path = decodedPath(details.url).toLowerCase();
    if (path.endsWith(".m3u8") || type.includes("mpegurl")) return { url: details.url, kind: "Stream", size: 0 };
    if (/\.(ts|m4s|m4a|aac)$/.test(path)) return null;
    const length = Number.parseInt(headerValue(details.responseHeaders, "content-length"), 10);
    const size = Number.isFinite(length) && length > 0 ? length : 0;
    const video = type.startsWith("video/") || /\.(mp4|webm|mkv|mov|flv)$/.test(path);
    if (!video || (size > 0 && size <= SMALL_VIDEO_BYTES)) return null;
    if (headerValue(details.responseHeaders, "content-range") !== undefined) return null;
    return { url: details.url, kind: "Video", size };
  }

  // The tab's list with the entry first, unique by address, at most 15; the same list when
  // the address is there already.
  function rememberVideo(list, entry) {
    list = Array.isArray(list) ? list : [];
    if (list.some((e) => e.url === entry.url)) return list;
    return [entry].concat(list).slice(0, VIDEO_LIST_MAX);
  }

  // Cookies as the browser would send them: name=value pairs joined by "; ".
  function cookieHeader(cookies) {
    return (cookies || []).map((c) => c.name + "=" + c.value).join("; ");
  }

  // The hand-over request, its members in the order the host reads them.
  function handOverRequest(url, referrer, filename, cookie, ua) {
    return { url, referrer: referrer || "", filename: filename || "", cookie: cookie || "", ua: ua || "" };
  }

  // Only an explicit acceptance counts: a missing, malformed or refusing reply does not.
  function isAccepted(reply) {
    return reply !== null && typeof reply === "object" && reply.ok === true;
  }

  // The reply, or undefined when the host fails, cannot be reached or takes longer than the
  // time-out (a late acceptance then leaves a second copy rather than a lost download).
  async function askHost(send, message, timeoutMs = REPLY_TIMEOUT_MS) {
    let timer;
    const late = new Promise((resolve) => {
      timer = setTimeout(() => resolve(undefined), timeoutMs);
    });
    try {
      return await Promise.race([Promise.resolve().then(() => send(message)).catch(() => undefined), late]);
    } finally {
      clearTimeout(timer);
    }
  }

  // Tasks run one after another, so a burst of downloads never starts several host processes
  // at once; a failing task does not stop the next. run() resolves with the task's result
  // (undefined when it failed).
  function serialChain() {
    let tail = Promise.resolve();
    return {
      run(task) {
        const result = tail.then(() => task()).catch(() => undefined);
        tail = result;
        return result;
      },
    };
  }

  // Sizes in the popup: GB with two decimals from 1 GiB, else MB with one; none for 0.
  function formatSize(bytes, texts) {
    if (!(bytes > 0)) return "";
    if (bytes >= 1073741824) return (bytes / 1073741824).toFixed(2) + " " + texts.gb;
    return (bytes / 1048576).toFixed(1) + " " + texts.mb;
  }

  // A popup row's name: a stream is named after the tab, a file after its address.
  function videoRowName(entry, tabTitle, fallback) {
    if (entry.kind === "Stream") return tabTitle || fallback;
    return lastComponent(decodedPath(entry.url)) || entry.url;
  }

  function uiLanguage(browserLanguage) {
    return String(browserLanguage || "").toLowerCase().startsWith("ar") ? "ar" : "en";
  }

  const SITE = "https://vonu.app/";
  function downloadPageAddress(lang) {
    return lang === "ar" ? SITE + "download.html" : SITE + "en/download.html";
  }

  root.VonuRules = {
    HOST_NAME, EXTS, REPLY_TIMEOUT_MS, isWebAddress, hostOf, isYouTubeHost, decodedPath, lastComponent, extensionOf,
    mimeIsCatchable, isFresh, isWanted, RecentAddresses, shouldCatch, cleanName, videoFileName,
    kindOfAddress, pickVideo, videoEntryFor, rememberVideo, cookieHeader, handOverRequest, isAccepted,
    askHost, serialChain, formatSize, videoRowName, uiLanguage, downloadPageAddress,
  };
  if (typeof module === "object" && module.exports) module.exports = root.VonuRules;
})(typeof globalThis !== "undefined" ? globalThis : this);
