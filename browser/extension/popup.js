// The toolbar popup: the videos of the active tab with a Download button each, the
// connection to Vonu (from the host's ping), site access, and the two switches. It speaks
// the browser's language until the ping names Vonu's own, then follows the program.
"use strict";

const R = VonuRules;

const TEXTS = {
  en: {
    title: "Vonu", videos: "Videos on this page", empty: "Play the video on the page, then open this again",
    checking: "Checking connection", bad: "Vonu is not connected. Open Vonu once to set it up",
    ok: "Connected to Vonu", okStart: "Connected. Vonu starts when a download comes in",
    catchTitle: "Catch downloads", catchSub: "Files like zip, mp4, exe and pdf go to Vonu",
    allowTitle: "Allow Vonu on all sites", allowSub: "Needed to catch downloads and show the button on videos",
    allow: "Allow", getVonu: "Get Vonu for Windows", btnTitle: "Button on videos",
    btnSub: "Shows Download with Vonu over videos you point at",
    hint: "Right-click any link and choose Download with Vonu to send it on demand",
    stream: "Video stream", file: "Video file", video: "Video", download: "Download", sending: "Sending",
    sent: "Sent", failed: "Failed", mb: "MB", gb: "GB",
  },
  ar: {
    title: "ڤونو", videos: "الفيديوهات في هذه الصفحة", empty: "شغّل الفيديو في الصفحة، ثم افتح هذه النافذة مرة أخرى",
    checking: "جارٍ التحقق من الاتصال", bad: "ڤونو غير متصل. افتح ڤونو مرة واحدة لإعداده",
    ok: "متصل بڤونو", okStart: "متصل. سيبدأ ڤونو عند وصول تحميل",
    catchTitle: "التقاط التحميلات", catchSub: "الملفات مثل zip وmp4 وexe وpdf تذهب إلى ڤونو",
    allowTitle: "اسمح لڤونو على كل المواقع", allowSub: "لازم لالتقاط التحميلات وإظهار الزر فوق الفيديو",
    allow: "سماح", getVonu: "حمّل ڤونو لويندوز", btnTitle: "زر فوق الفيديوهات",
    btnSub: "يظهر «تحميل بڤونو» فوق الفيديو عند الإشارة إليه",
    hint: "انقر بزر الماوس الأيمن على أي رابط واختر «التحميل باستخدام ڤونو» لإرساله",
    stream: "بث فيديو", file: "ملف فيديو", video: "فيديو", download: "تحميل", sending: "جارٍ الإرسال",
    sent: "أُرسل", failed: "فشل", mb: "م.ب", gb: "ج.ب",
  },
};

const ALL_SITES = { origins: ["<all_urls>"] };
const $ = (id) => document.getElementById(id);

let lang = R.uiLanguage(chrome.i18n.getUILanguage());
let status = "checking";
let tab = null;
let videos = [];
const buttonStates = new Map();  // video address -> text key of its button

const t = (key) => TEXTS[lang][key];

function renderTexts() {
  document.documentElement.lang = lang;
  document.documentElement.dir = lang === "ar" ? "rtl" : "ltr";
  for (const el of document.querySelectorAll("[data-text]")) el.textContent = t(el.dataset.text);
  $("statusText").textContent = t(status);
  $("getVonu").href = R.downloadPageAddress(lang);
}

function renderStatus() {
  const connected = status === "ok" || status === "okStart";
  $("dot").className = "dot" + (status === "checking" ? "" : connected ? " good" : " bad");
  $("status").classList.toggle("bad", status === "bad");
  $("statusText").textContent = t(status);
  $("getVonu").hidden = status !== "bad";
}

function renderVideos() {
  const list = $("videoList");
  list.replaceChildren();
  $("empty").hidden = videos.length > 0;
  for (const entry of videos) {
    const row = document.createElement("div");
    row.className = "video";
    const text = document.createElement("div");
    text.className = "text";
    const name = document.createElement("div");
    name.className = "name";
    name.textContent = R.videoRowName(entry, tab && tab.title, t("video"));
    name.title = entry.url;
    const sub = document.createElement("div");
    sub.className = "sub";
    const size = R.formatSize(entry.size, TEXTS[lang]);
    sub.textContent = t(entry.kind === "Stream" ? "stream" : "file") + (size ? " · " + size : "");
    text.append(name, sub);
    const button = document.createElement("button");
    const state = buttonStates.get(entry.url) || "download";
    button.textContent = t(state);
    button.disabled = state === "sending";
    button.addEventListener("click", () => grab(entry));
    row.append(text, button);
    list.append(row);
  }
}

function render() {
  renderTexts();
  renderStatus();
  renderVideos();
}

async function grab(entry) {
  buttonStates.set(entry.url, "sending");
  renderVideos();
  let reply;
  try {
    reply = await chrome.runtime.sendMessage({
      type: "grab", url: entry.url, kind: entry.kind, page: (tab && tab.url) || "", title: (tab && tab.title) || "",
      storeId: tab && tab.cookieStoreId,
    });
  } catch (e) {
    reply = undefined;
  }
  buttonStates.set(entry.url, reply && reply.ok === true ? "sent" : "failed");
  renderVideos();
}

async function checkConnection() {
  let reply;
  try {
    reply = await chrome.runtime.sendMessage({ type: "ping" });
  } catch (e) {
    reply = undefined;
  }
  if (!R.isAccepted(reply)) {
    status = "bad";
  } else {
    status = reply.running === true ? "ok" : "okStart";
    if (reply.lang === "ar" || reply.lang === "en") lang = reply.lang;  // follow the program's language
  }
  render();
}

async function bindSwitch(id) {
  const box = $(id);
  const stored = await chrome.storage.local.get({ [id]: true });
  box.checked = stored[id] !== false;
  box.addEventListener("change", () => chrome.storage.local.set({ [id]: box.checked }));
}

async function checkSiteAccess() {
  let granted = true;
  try {
    granted = await chrome.permissions.contains(ALL_SITES);
  } catch (e) {}
  $("allowRow").hidden = granted;
  $("allow").onclick = async () => {
    try {
      if (await chrome.permissions.request(ALL_SITES)) $("allowRow").hidden = true;
    } catch (e) {}
  };
}

async function loadVideos() {
  try {
    [tab] = await chrome.tabs.query({ active: true, currentWindow: true });
  } catch (e) {
    tab = null;
  }
  if (!tab) return;
  try {
    videos = (await chrome.runtime.sendMessage({ type: "videos", tabId: tab.id })) || [];
  } catch (e) {
    videos = [];
  }
  renderVideos();
}

render();
bindSwitch("catchOn");
bindSwitch("videoButton");
checkSiteAccess();
loadVideos();
checkConnection();
