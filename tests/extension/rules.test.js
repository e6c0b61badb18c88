// The extension's decisions (browser/extension/rules.js) under node's own test runner:
//   node --test tests/extension/
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const R = require("../../browser/extension/rules.js");

const NOW = Date.parse("2026-12-10T12:00:00Z");
const started = (msAgo) => new Date(NOW - msAgo).toISOString();

function download(fields) {
  return { id: 1, url: "https://example.com/get", state: "in_progress", startTime: started(100), filename: "",
           mime: "", ...fields };
}

test("which created downloads are caught", () => {
  const cases = [
    ["a zip by its address", { url: "https://example.com/files/big.zip" }, true],
    ["by the suggested name", { url: "https://example.com/get?id=7", filename: "C:\\Users\\me\\Report.PDF" }, true],
    ["by the final address", { url: "https://example.com/r", finalUrl: "https://cdn.example.com/setup.exe" }, true],
    ["by an escaped path", { url: "https://example.com/my%20file.tar.gz" }, true],
    ["by a MIME type", { url: "https://example.com/get", mime: "application/x-zip-compressed" }, true],
    ["audio by type", { url: "https://example.com/get", mime: "audio/mpeg" }, true],
    ["an office type", { url: "https://example.com/get", mime: "application/vnd.openxmlformats-officedocument.wordprocessingml.document" }, true],
    ["a web page stays", { url: "https://example.com/notes.txt", mime: "text/plain" }, false],
    ["a blob stays whatever its type", { url: "blob:https://example.com/0f3c", filename: "a.zip", mime: "application/zip" }, false],
    ["a data address stays", { url: "data:application/zip;base64,UEsDBA==", mime: "application/zip" }, false],
    ["a file address stays", { url: "file:///home/me/a.zip" }, false],
    ["FTP stays", { url: "ftp://example.com/a.zip" }, false],
    ["capital scheme is a web address", { url: "HTTPS://EXAMPLE.COM/A.ZIP" }, true],
    ["an extension of 11 letters is none", { url: "https://example.com/a.abcdefghijk", mime: "text/html" }, false],
    ["old: restored from history", { url: "https://example.com/a.zip", startTime: started(20000) }, false],
    ["just fresh", { url: "https://example.com/a.zip", startTime: started(19999) }, true],
    ["finished already", { url: "https://example.com/a.zip", state: "complete" }, false],
    ["no state is fresh", { url: "https://example.com/a.zip", state: undefined }, true],
    ["unreadable start time", { url: "https://example.com/a.zip", startTime: "yesterday" }, false],
    ["started by this extension", { url: "https://example.com/a.zip", byExtensionId: "self" }, false],
  ];
  for (const [what, fields, caught] of cases) {
    const recent = new R.RecentAddresses();
    assert.equal(R.shouldCatch(download(fields), { catchOn: true, now: NOW, own: "self", recent }), caught, what);
  }
  const recent = new R.RecentAddresses();
  assert.equal(R.shouldCatch(download({ url: "https://example.com/a.zip" }), { catchOn: false, now: NOW, recent }),
               false, "catching switched off");
});

test("the same address within 30 s is handed off once", () => {
  const recent = new R.RecentAddresses();
  const item = download({ url: "https://example.com/a.zip" });
  const decide = (at) => R.shouldCatch({ ...item, startTime: new Date(at).toISOString() },
                                       { catchOn: true, now: at, recent });
  assert.equal(decide(NOW), true);
  assert.equal(decide(NOW + 1), false, "two downloads started at the same moment");
  assert.equal(decide(NOW + 30000), false, "still recent at 30 s");
  assert.equal(decide(NOW + 30001), true, "forgotten after 30 s");
  assert.equal(R.shouldCatch(download({ url: "https://example.com/b.zip" }), { catchOn: true, now: NOW + 2, recent }),
               true, "another address");
});

test("clean names from page titles", () => {
  const cases = [
    ["Episode 1: The Start?", "Episode 1 The Start"],
    ['a<b>c:d"e/f\\g|h?i*j', "a b c d e f g h i j"],
    ["   ", "video"],
    ["", "video"],
    [undefined, "video"],
    ["tab\there\r\nnext\u0001", "tab here next"],
    ["???", "video"],
    ["x".repeat(130), "x".repeat(120)],
    ["y".repeat(119) + " z", "y".repeat(119)],
  ];
  for (const [title, name] of cases) assert.equal(R.cleanName(title), name, JSON.stringify(title));
});

test("file names of streams and videos", () => {
  const cases = [
    ["News: today", "https://cdn.example.com/live/master.m3u8", "Stream", "News today.mp4"],
    ["Clip", "https://cdn.example.com/v/clip.webm?sig=1", "Video", "Clip.webm"],
    ["Clip", "https://cdn.example.com/v/clip", "Video", "Clip.mp4"],
    ["Clip", "https://cdn.example.com/v/clip.x", "Video", "Clip.mp4"],
    ["Clip", "https://cdn.example.com/v/clip.mpeg4", "Video", "Clip.mp4"],
    ["Clip", "https://cdn.example.com/v/clip.MOV", "Video", "Clip.MOV"],
  ];
  for (const [title, url, kind, name] of cases) assert.equal(R.videoFileName(title, url, kind), name, url);
});

test("which stream the button sends", () => {
  const list = [
    { url: "https://cdn.example.com/720/index.m3u8", kind: "Stream", size: 0 },
    { url: "https://cdn.example.com/movie.mp4", kind: "Video", size: 9000000 },
    { url: "https://cdn.example.com/master.m3u8", kind: "Stream", size: 0 },
  ];
  assert.deepEqual(R.pickVideo("https://example.com/own.mp4", list), { url: "https://example.com/own.mp4", kind: "Video" });
  assert.deepEqual(R.pickVideo("https://example.com/own.m3u8?x", list),
                   { url: "https://example.com/own.m3u8?x", kind: "Stream" });
  assert.deepEqual(R.pickVideo("blob:https://example.com/1", list),
                   { url: "https://cdn.example.com/master.m3u8", kind: "Stream" }, "the oldest stream");
  assert.deepEqual(R.pickVideo("", [list[1]]), { url: list[1].url, kind: "Video" }, "else the newest entry");
  assert.equal(R.pickVideo("blob:https://example.com/1", []), null);
  assert.equal(R.pickVideo(undefined, undefined), null);
});

test("video detection from response headers", () => {
  const h = (pairs) => Object.entries(pairs).map(([name, value]) => ({ name, value }));
  const cases = [
    ["a playlist by path", { url: "https://cdn.example.com/a/index.m3u8" }, { kind: "Stream", size: 0 }],
    ["a playlist by type", { url: "https://cdn.example.com/pl", headers: { "Content-Type": "application/vnd.apple.mpegURL" } },
     { kind: "Stream", size: 0 }],
    ["a stream piece", { url: "https://cdn.example.com/a/seg1.ts", headers: { "content-type": "video/mp2t" } }, null],
    ["a fragment", { url: "https://cdn.example.com/a/seg1.m4s", headers: { "content-type": "video/iso.segment" } }, null],
    ["a big video", { url: "https://cdn.example.com/a.mp4", headers: { "Content-Length": "9000000" } },
     { kind: "Video", size: 9000000 }],
    ["a video of unknown size", { url: "https://cdn.example.com/v", headers: { "content-type": "video/webm" } },
     { kind: "Video", size: 0 }],
    ["300 KiB is too small", { url: "https://cdn.example.com/a.mp4", headers: { "content-length": String(300 * 1024) } }, null],
    ["exactly 512 KiB is too small", { url: "https://cdn.example.com/a.mp4", headers: { "content-length": "524288" } }, null],
    ["a range of a video", { url: "https://cdn.example.com/a.mp4",
                             headers: { "content-length": "9000000", "content-range": "bytes 0-8999999/90000000" } }, null],
    ["an error", { url: "https://cdn.example.com/a.m3u8", status: 404 }, null],
    ["outside a tab", { url: "https://cdn.example.com/a.m3u8", tabId: -1 }, null],
    ["YouTube media", { url: "https://r1---sn-abc.googlevideo.com/videoplayback.mp4" }, null],
    ["not a video", { url: "https://cdn.example.com/a.json", headers: { "content-type": "application/json" } }, null],
  ];
  for (const [what, c, expected] of cases) {
    const details = { tabId: c.tabId ?? 3, url: c.url, statusCode: c.status ?? 200, responseHeaders: h(c.headers || {}) };
    const entry = R.videoEntryFor(details);
    assert.deepEqual(entry, expected && { url: c.url, ...expected }, what);
  }
});

test("a tab remembers 15 videos, newest first, each once", () => {
  let list = [];
  for (let i = 0; i < 20; i++) list = R.rememberVideo(list, { url: "https://v.example/" + i, kind: "Video", size: 0 });
  assert.equal(list.length, 15);
  assert.equal(list[0].url, "https://v.example/19");
  assert.equal(list[14].url, "https://v.example/5");
  const same = R.rememberVideo(list, { url: "https://v.example/12", kind: "Video", size: 1 });
  assert.equal(same, list, "an address already there changes nothing");
});

test("only an explicit acceptance counts", () => {
  const replies = [
    [{ ok: true }, true],
    [{ ok: false, error: "Vonu did not answer" }, false],
    [{}, false],
    [{ ok: "true" }, false],
    [{ ok: 1 }, false],
    [null, false],
    [undefined, false],
    ["{\"ok\":true}", false],
  ];
  for (const [reply, accepted] of replies) assert.equal(R.isAccepted(reply), accepted, JSON.stringify(reply));
});

test("a failing, missing or slow host gives no reply", async () => {
  assert.deepEqual(await R.askHost(async () => ({ ok: true }), {}), { ok: true });
  assert.equal(await R.askHost(async () => { throw new Error("Specified native messaging host not found."); }, {}),
               undefined, "the host is not installed");
  assert.equal(await R.askHost(() => { throw new Error("sync"); }, {}), undefined);
  assert.equal(await R.askHost(async () => undefined, {}), undefined, "the host exited without replying");
  const slow = () => new Promise((resolve) => setTimeout(() => resolve({ ok: true }), 200));
  assert.equal(await R.askHost(slow, {}, 50), undefined, "a reply after the time-out");
});

test("hand-offs run one after another, and a failure does not stop the chain", async () => {
  const chain = R.serialChain();
  const log = [];
  let running = 0;
  const task = (name, ms, fail) => async () => {
    running++;
    assert.equal(running, 1, "never two at once");
    log.push("start " + name);
    await new Promise((r) => setTimeout(r, ms));
    running--;
    log.push("end " + name);
    if (fail) throw new Error(name);
    return name;
  };
  const results = await Promise.all([chain.run(task("a", 30)), chain.run(task("b", 5, true)), chain.run(task("c", 1))]);
  assert.deepEqual(results, ["a", undefined, "c"]);
  assert.deepEqual(log, ["start a", "end a", "start b", "end b", "start c", "end c"]);
});

test("the hand-over request and its cookies", () => {
  const cookie = R.cookieHeader([{ name: "sid", value: "1" }, { name: "lang", value: "ar" }]);
  assert.equal(cookie, "sid=1; lang=ar");
  assert.equal(R.cookieHeader(undefined), "");
  const text = JSON.stringify(R.handOverRequest("https://a.example/x.zip", undefined, "x.zip", cookie, "UA"));
  assert.equal(text, '{"url":"https://a.example/x.zip","referrer":"","filename":"x.zip","cookie":"sid=1; lang=ar","ua":"UA"}');
});

test("popup sizes, names and language", () => {
  const texts = { mb: "MB", gb: "GB" };
  assert.equal(R.formatSize(0, texts), "");
  assert.equal(R.formatSize(1572864, texts), "1.5 MB");
  assert.equal(R.formatSize(1073741823, texts), "1024.0 MB");
  assert.equal(R.formatSize(1073741824, texts), "1.00 GB");
  assert.equal(R.videoRowName({ kind: "Stream", url: "https://a/x.m3u8" }, "News", "Video"), "News");
  assert.equal(R.videoRowName({ kind: "Stream", url: "https://a/x.m3u8" }, "", "Video"), "Video");
  assert.equal(R.videoRowName({ kind: "Video", url: "https://a/b/my%20clip.mp4?x" }, "T", "Video"), "my clip.mp4");
  assert.equal(R.uiLanguage("ar-EG"), "ar");
  assert.equal(R.uiLanguage("en-US"), "en");
  assert.equal(R.uiLanguage("fr"), "en");
});

// The list the setup program carries must be the extension: a file missing from it would be
// missing from every installation.
test("files.txt lists exactly the extension's files, and the manifest uses only those", () => {
  const fs = require("node:fs");
  const path = require("node:path");
  const folder = path.join(__dirname, "..", "..", "browser", "extension");
  const listed = fs.readFileSync(path.join(folder, "files.txt"), "utf8").split(/\r?\n/)
    .map((l) => l.trim()).filter((l) => l && !l.startsWith("#"));
  const present = [];
  (function walk(dir, prefix) {
    for (const e of fs.readdirSync(dir, { withFileTypes: true })) {
      if (e.isDirectory()) walk(path.join(dir, e.name), prefix + e.name + "/");
      else if (prefix + e.name !== "files.txt") present.push(prefix + e.name);
    }
  })(folder, "");
  assert.deepEqual([...listed].sort(), present.sort());
  const m = JSON.parse(fs.readFileSync(path.join(folder, "manifest.json"), "utf8"));
  const used = [m.background.service_worker, ...m.background.scripts, m.action.default_popup,
    ...Object.values(m.action.default_icon), ...Object.values(m.icons), ...m.content_scripts.flatMap((c) => c.js),
    `_locales/${m.default_locale}/messages.json`];
  for (const file of used) assert.ok(listed.includes(file), file);
  const html = fs.readFileSync(path.join(folder, "popup.html"), "utf8");
  for (const [, src] of html.matchAll(/src="([^"]+)"/g)) assert.ok(listed.includes(src), src);
  // Each icon is a PNG of its size, 8-bit RGBA (IHDR: width, height, depth 8, colour type 6).
  for (const [size, file] of Object.entries(m.icons)) {
    const png = fs.readFileSync(path.join(folder, file));
    assert.equal(png.subarray(1, 4).toString(), "PNG", file);
    assert.deepEqual([png.readUInt32BE(16), png.readUInt32BE(20), png[24], png[25]], [+size, +size, 8, 6], file);
  }
});
