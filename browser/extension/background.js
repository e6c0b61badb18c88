// The service worker (a background script in Firefox): catches the browser's downloads,
// offers the context-menu entry, remembers the video streams and files each tab loads, and
// hands addresses to Vonu through its native messaging host, one at a time.
//
// The browser's own download is cancelled and erased only after Vonu replied that it took
// the address; any other outcome (no host, a crash, a refusal, a malformed or late reply)
// leaves the download with the browser. The per-tab video lists live in session storage and
// are written only here, through one chain, so two responses never overwrite each other.
"use strict";

if (typeof VonuRules === "undefined" && typeof importScripts === "function") importScripts("rules.js");

const R = VonuRules;
const handOffs = R.serialChain();
const listWrites = R.serialChain();
const recent = new R.RecentAddresses();

// One native message to the host; undefined on any failure or time-out.
function send(message) {
  return R.askHost((m) => chrome.runtime.sendNativeMessage(R.HOST_NAME, m), message);
}

async function cookiesFor(url, storeId) {
  try {
    const query = storeId ? { url, storeId } : { url };
    return R.cookieHeader(await chrome.cookies.getAll(query));
  } catch (e) {
    return "";
  }
}

// Hands one address to Vonu; true when it was accepted.
function handOff(url, referrer, filename, storeId) {
  return handOffs.run(async () => {
    const cookie = await cookiesFor(url, storeId);
    const reply = await send(R.handOverRequest(url, referrer, filename, cookie, navigator.userAgent));
    return R.isAccepted(reply);
  }).then((accepted) => accepted === true);
}

async function settings() {
  const stored = await chrome.storage.local.get({ catchOn: true, videoButton: true });
  return stored;
}

// --- Catching downloads ------------------------------------------------------------------

chrome.downloads.onCreated.addListener(async (item) => {
  const { catchOn } = await settings();
  if (!R.shouldCatch(item, { catchOn, now: Date.now(), own: chrome.runtime.id, recent })) return;
  const url = item.finalUrl || item.url;
  const accepted = await handOff(url, item.referrer || "", R.lastComponent(item.filename || ""),
                                 item.cookieStoreId);
  if (!accepted) return;
  // A small file may have finished meanwhile; then there is nothing to cancel.
  try {
    await chrome.downloads.cancel(item.id);
  } catch (e) {}
  try {
    await chrome.downloads.erase({ id: item.id });
  } catch (e) {}
});

// --- Context menu ------------------------------------------------------------------------

chrome.runtime.onInstalled.addListener(() => {
  chrome.contextMenus.create({
    id: "vonu-link",
    title: chrome.i18n.getMessage("menuDownload"),
    contexts: ["link", "video", "audio", "image"],
  }, () => void chrome.runtime.lastError);
});

function onMenuClicked(info, tab) {
  if (info.menuItemId !== "vonu-link") return Promise.resolve(false);
  const url = info.linkUrl || info.srcUrl;
  if (!R.isWebAddress(url)) return Promise.resolve(false);
  return handOff(url, info.pageUrl || (tab && tab.url) || "", "", tab && tab.cookieStoreId);
}
chrome.contextMenus.onClicked.addListener(onMenuClicked);

// --- Videos each tab loads ---------------------------------------------------------------

const listKey = (tabId) => "v" + tabId;

async function videoList(tabId) {
  const stored = await chrome.storage.session.get(listKey(tabId));
  return stored[listKey(tabId)] || [];
}

function remember(tabId, entry) {
  return listWrites.run(async () => {
    const list = await videoList(tabId);
    const updated = R.rememberVideo(list, entry);
    if (updated === list) return;
    await chrome.storage.session.set({ [listKey(tabId)]: updated });
    try {
      await chrome.action.setBadgeBackgroundColor({ tabId, color: "#d9861a" });
      await chrome.action.setBadgeText({ tabId, text: String(updated.length) });
    } catch (e) {}  // the tab closed meanwhile
  });
}

function forget(tabId, withBadge) {
  return listWrites.run(async () => {
    await chrome.storage.session.remove(listKey(tabId));
    if (withBadge) {
      try {
        await chrome.action.setBadgeText({ tabId, text: "" });
      } catch (e) {}
    }
  });
}

chrome.webRequest.onResponseStarted.addListener((details) => {
  const entry = R.videoEntryFor(details);
  if (entry) remember(details.tabId, entry);
}, { urls: ["<all_urls>"], types: ["media", "xmlhttprequest", "other"] }, ["responseHeaders"]);

// A new top-level page starts its tab's list afresh.
chrome.webRequest.onBeforeRequest.addListener((details) => {
  if (details.tabId >= 0) forget(details.tabId, true);
}, { urls: ["<all_urls>"], types: ["main_frame"] });

chrome.tabs.onRemoved.addListener((tabId) => void forget(tabId, false));

// --- Messages from the popup and the content script --------------------------------------

async function onVideoButton(message, sender) {
  const tab = sender.tab || {};
  const picked = R.pickVideo(message.src, await videoList(tab.id));
  if (!picked) return { ok: false, reason: "none" };
  const name = R.videoFileName(message.title, picked.url, picked.kind);
  const ok = await handOff(picked.url, message.page || tab.url || "", name, tab.cookieStoreId);
  return { ok };
}

async function onGrab(message) {
  const name = R.videoFileName(message.title, message.url, message.kind);
  const ok = await handOff(message.url, message.page || "", name, message.storeId);
  return { ok };
}

const handlers = {
  ping: () => send({ ping: true }),
  videos: (message) => videoList(message.tabId),
  videoButton: onVideoButton,
  grab: onGrab,
};

chrome.runtime.onMessage.addListener((message, sender, sendResponse) => {
  const handler = message && handlers[message.type];
  if (!handler) return false;
  Promise.resolve()
    .then(() => handler(message, sender))
    .then((reply) => sendResponse(reply), () => sendResponse(undefined))
    .catch(() => {});  // the asking page or tab is gone
  return true;  // the answer comes later
});
