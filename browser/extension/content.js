// The "Download with Vonu" button over videos, in every page and frame. One button per page,
// in a closed shadow root so the page's styles and scripts cannot reach it; it follows the
// pointer onto videos of at least 240 x 140 CSS pixels and sends the video's address to the
// service worker, which hands it to Vonu. Not on YouTube, whose media Vonu cannot join.
"use strict";

(() => {
  if (window.__vonuVideoButton) return;
  window.__vonuVideoButton = true;
  const host = location.hostname.toLowerCase();
  if (["youtube.com", "youtube-nocookie.com", "youtu.be"].some((h) => host === h || host.endsWith("." + h))) return;

  const MIN_WIDTH = 240;
  const MIN_HEIGHT = 140;
  const HIDE_MS = 1500;
  const rtl = chrome.i18n.getUILanguage().toLowerCase().startsWith("ar");
  const text = (key) => chrome.i18n.getMessage(key);

  let enabled = true;
  let holder = null;   // the custom element, created on first use
  let button = null;
  let label = null;
  let video = null;    // the video the button stands over
  let busy = false;    // a click is being handled: the button stays where it is
  let hideTimer = 0;
  let framePending = false;
  let lastPointer = null;

  function build() {
    holder = document.createElement("vonu-video-button");
    holder.style.cssText = "position:fixed;left:0;top:0;width:0;height:0;z-index:2147483647;" +
      "pointer-events:none;display:block;";
    const shadow = holder.attachShadow({ mode: "closed" });
    const style = document.createElement("style");
    style.textContent =
      "button{position:fixed;display:none;align-items:center;gap:6px;pointer-events:auto;cursor:pointer;" +
      "font:600 13px/1 system-ui,'Segoe UI',Tahoma,sans-serif;color:#fff;background:#d9861a;border:0;" +
      "border-radius:6px;padding:7px 11px;box-shadow:0 1px 4px rgba(0,0,0,.35);white-space:nowrap}" +
      "button:hover{background:#c07514}svg{width:14px;height:14px;flex:none}";
    button = document.createElement("button");
    button.type = "button";
    button.dir = rtl ? "rtl" : "ltr";
    const svgNs = "http://www.w3.org/2000/svg";
    const arrow = document.createElementNS(svgNs, "svg");
    arrow.setAttribute("viewBox", "0 0 16 16");
    arrow.setAttribute("aria-hidden", "true");
    const path = document.createElementNS(svgNs, "path");
    path.setAttribute("fill", "#fff");
    path.setAttribute("d", "M7 1h2v7.2l2.6-2.6 1.4 1.4L8 12 3 7l1.4-1.4L7 8.2zM2 13h12v2H2z");
    arrow.append(path);
    button.append(arrow);
    label = document.createElement("span");
    label.textContent = text("btnDownload");
    button.append(label);
    button.addEventListener("click", onClick);
    button.addEventListener("pointerenter", cancelHide);
    shadow.append(style, button);
    (document.documentElement || document.body).append(holder);
  }

  const bigEnough = (r) => r.width >= MIN_WIDTH && r.height >= MIN_HEIGHT;
  const onScreen = (r) => r.bottom > 0 && r.right > 0 && r.top < innerHeight && r.left < innerWidth;

  // The video under the pointer, or one whose box holds the pointer (players often lay their
  // own controls over the video element).
  function videoAt(x, y) {
    for (const el of document.elementsFromPoint(x, y)) if (el instanceof HTMLVideoElement) return el;
    for (const v of document.querySelectorAll("video")) {
      const r = v.getBoundingClientRect();
      if (bigEnough(r) && x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) return v;
    }
    return null;
  }

  function cancelHide() {
    clearTimeout(hideTimer);
    hideTimer = 0;
  }

  function hide() {
    cancelHide();
    if (button) button.style.display = "none";
    video = null;
  }

  function place() {
    if (!video || !button) return;
    const r = video.getBoundingClientRect();
    if (!bigEnough(r) || !onScreen(r) || !video.isConnected) {
      if (!busy) hide();
      return;
    }
    // Full screen: the button must live inside the full-screen element to be seen.
    const parent = document.fullscreenElement || document.documentElement;
    if (holder.parentNode !== parent) parent.append(holder);
    button.style.display = "inline-flex";
    const top = Math.max(r.top + 10, 10);
    if (rtl) {
      button.style.left = "";
      button.style.right = Math.max(innerWidth - r.right + 10, 0) + "px";
    } else {
      button.style.right = "";
      button.style.left = r.left + 10 + "px";
    }
    button.style.top = top + "px";
  }

  function show(v) {
    if (!holder) build();
    cancelHide();
    if (!busy) {
      video = v;
      label.textContent = text("btnDownload");
    }
    place();
  }

  function onPointerFrame() {
    framePending = false;
    if (!enabled || !lastPointer) return;
    if (busy) return;
    const v = videoAt(lastPointer.x, lastPointer.y);
    if (v) {
      show(v);
    } else if (video && !hideTimer) {
      hideTimer = setTimeout(() => {
        hideTimer = 0;
        if (!busy) hide();
      }, HIDE_MS);
    }
  }

  function onPointerMove(e) {
    if (e.composedPath && holder && e.composedPath().includes(holder)) return;  // over the button
    lastPointer = { x: e.clientX, y: e.clientY };
    if (!framePending) {
      framePending = true;
      requestAnimationFrame(onPointerFrame);
    }
  }

  async function onClick(e) {
    e.preventDefault();
    e.stopPropagation();
    if (busy || !video) return;
    busy = true;
    label.textContent = text("btnSending");
    const src = video.currentSrc || video.src || (video.querySelector("source") || {}).src || "";
    let reply;
    try {
      reply = await chrome.runtime.sendMessage({ type: "videoButton", src, page: location.href, title: document.title });
    } catch (err) {
      reply = undefined;  // the extension was reloaded or the worker is gone
    }
    if (reply && reply.ok === true) label.textContent = text("btnSent");
    else if (reply && reply.reason === "none") label.textContent = text("btnPlayFirst");
    else label.textContent = text("btnFailed");
    setTimeout(() => {
      busy = false;
      hide();
    }, HIDE_MS);
  }

  chrome.storage.local.get({ videoButton: true }).then((s) => {
    enabled = s.videoButton !== false;
  }, () => {});
  chrome.storage.onChanged.addListener((changes, area) => {
    if (area !== "local" || !changes.videoButton) return;
    enabled = changes.videoButton.newValue !== false;
    if (!enabled) {
      busy = false;
      hide();
    }
  });

  addEventListener("pointermove", onPointerMove, { passive: true, capture: true });
  addEventListener("scroll", () => place(), { passive: true, capture: true });
  addEventListener("resize", () => place(), { passive: true });
  document.addEventListener("fullscreenchange", () => place());
})();
