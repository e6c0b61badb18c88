// The browser extension end to end in Debian's Chromium, headless, driven by playwright-core:
// the real extension of browser/extension, pages served by the test nginx (written here into
// its www/pages/extension/ folder), and the real Vonu.exe under Wine as the native messaging
// host's program, registered through the profile's NativeMessagingHosts folder with a script
// that runs Vonu.exe in the test prefix. The Windows side of each check is
// tests/browser/chromium_driver.exe (New Download seen from outside, the pending list filled).
//
//   node chromium_e2e.mjs --build BUILD --source SOURCE [--time-limit S]
//
// Checks: the zip is caught, shown in New Download and erased from the browser's list only
// after acceptance; two downloads at once are handed over one after the other; a text file
// and a blob download stay with the browser; with Vonu refusing (its pending list full) and
// with a host that exits without a reply, the browser keeps its download; the video button
// over a blob-sourced video sends the page's HLS playlist with the page title as the name,
// and the context-menu entry sends its link; the popup shows the status in English and in
// Arabic (screenshots in BUILD/screenshots). Chromium is ended by playwright (by its process
// id) in every case, also when the time limit strikes.
import { chromium } from "playwright-core";
import { spawnSync } from "node:child_process";
import crypto from "node:crypto";
import fs from "node:fs";
import path from "node:path";

const HOST = "com.vonu.downloader";

function options() {
  const args = process.argv.slice(2);
  const value = (name, fallback) => {
    const i = args.indexOf(name);
    return i >= 0 && i + 1 < args.length ? args[i + 1] : fallback;
  };
  return { build: path.resolve(value("--build", "")), source: path.resolve(value("--source", "")),
           timeLimit: Number(value("--time-limit", "240")) };
}

// Chromium's identifier for a key: the first 128 bits of SHA-256 of the DER key, in a-p.
function extensionId(keyBase64) {
  const digest = crypto.createHash("sha256").update(Buffer.from(keyBase64, "base64")).digest("hex").slice(0, 32);
  return [...digest].map((c) => String.fromCharCode(97 + parseInt(c, 16))).join("");
}

const failures = [];
function check(ok, what) {
  console.log((ok ? "ok   " : "FAIL ") + what);
  if (!ok) failures.push(what);
  return ok;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function poll(seconds, probe) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const value = await probe();
    if (value || Date.now() > end) return value;
    await sleep(200);
  }
}

class Test {
  constructor(opts) {
    this.build = opts.build;
    this.source = opts.source;
    this.bin = path.join(this.build, "bin");
    this.work = path.join(this.build, "extension-e2e");
    this.profile = path.join(this.work, "profile");
    this.shots = path.join(this.build, "screenshots");
    this.deadline = Date.now() + opts.timeLimit * 1000;
  }

  // chromium_driver.exe under Wine; its output goes to a file, since a program it starts
  // keeps whatever pipes it inherited open.
  driver(...words) {
    const outPath = path.join(this.work, "driver.out");
    const out = fs.openSync(outPath, "w");
    const left = Math.max(1000, this.deadline - Date.now());
    const run = spawnSync("wine", [path.join(this.bin, "chromium_driver.exe"), ...words],
                          { stdio: ["ignore", out, out], timeout: Math.min(60000, left) });
    fs.closeSync(out);
    return { status: run.status, text: fs.readFileSync(outPath, "utf8").replace(/\r/g, "").trim() };
  }

  dialogShows(url, name) {
    const r = this.driver("dialog", url, ...(name ? [name] : []));
    return check(r.status === 0, `New Download shows ${url}${name ? " as " + name : ""}` +
                                 (r.status === 0 ? "" : ": " + r.text));
  }

  writeScript(name, body) {
    const file = path.join(this.work, name);
    fs.writeFileSync(file, "#!/bin/sh\n" + body);
    fs.chmodSync(file, 0o755);
    return file;
  }

  // The profile's host manifest: the one Vonu wrote, its program replaced by a script.
  registerHost(program) {
    const manifest = JSON.parse(fs.readFileSync(path.join(this.bin, HOST + ".json"), "utf8"));
    manifest.path = program;
    const folder = path.join(this.profile, "NativeMessagingHosts");
    fs.mkdirSync(folder, { recursive: true });
    fs.writeFileSync(path.join(folder, HOST + ".json"), JSON.stringify(manifest, null, 2));
    return manifest;
  }

  hostScripts() {
    const env = ["WINEPREFIX", "DISPLAY", "HOME"].map((k) => `export ${k}='${process.env[k] || ""}'\n`).join("");
    this.vonuHost = this.writeScript("vonu-host.sh",
      "# The native messaging host of this test: Vonu.exe under Wine in the test prefix.\n" + env +
      "export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='\n" +
      `exec wine '${path.join(this.bin, "Vonu.exe")}' "$@"\n`);
    this.silentHost = this.writeScript("silent-host.sh",
      "# A host that ends without reading or replying (as a crashed host would).\nexit 0\n");
  }

  // The test site: a page of downloads and a page whose video plays from a blob while the
  // page fetches an HLS playlist made by ffmpeg (served from the fixture's /files/hls/).
  writePages(www) {
    const site = path.join(www, "pages", "extension");
    fs.mkdirSync(site, { recursive: true });
    const zip = crypto.randomBytes(3 << 20);
    for (const name of ["accepted.zip", "twin-a.zip", "twin-b.zip", "refused.zip", "no-reply.zip"])
      fs.writeFileSync(path.join(site, name), zip);
    fs.writeFileSync(path.join(site, "notes.txt"), "A small text file the browser keeps.\n");
    fs.writeFileSync(path.join(site, "downloads.html"), `<!doctype html>
<meta charset="utf-8"><title>Downloads</title>
<script>
// Starts downloads of the given links at the same moment, or of a blob made on the page.
function start(...names) {
  for (const name of names) {
    const a = document.createElement("a");
    a.href = name;
    a.download = name;  // a download, not a navigation that the next click would cancel
    document.body.append(a);
    a.click();
  }
}
function startBlob() {
  const a = document.createElement("a");
  a.href = URL.createObjectURL(new Blob(["PK not really"], { type: "application/zip" }));
  a.download = "made-here.zip";
  document.body.append(a);
  a.click();
}
</script>
<p>Links for the extension test.</p>`);
    fs.writeFileSync(path.join(site, "video.html"), `<!doctype html>
<meta charset="utf-8"><title>Clip:  "one"?  </title>
<style>body{margin:0} video{position:absolute;left:40px;top:60px;width:640px;height:360px;background:#222}</style>
<video id="player" muted></video>
<a id="link" href="/files/hls/clear/index.m3u8">the stream</a>
<script>
// As a player page does: the playlist is fetched by script, the video plays from a blob.
fetch("/files/hls/clear/index.m3u8").then((r) => r.text()).then(() => { document.title += ""; });
document.getElementById("player").src = URL.createObjectURL(new MediaSource());
</script>`);
    return site;
  }

  async launch(extension) {
    this.context = await chromium.launchPersistentContext(this.profile, {
      executablePath: "/usr/bin/chromium",
      headless: true,
      acceptDownloads: true,
      viewport: { width: 900, height: 600 },
      ignoreDefaultArgs: ["--disable-extensions", "--disable-component-extensions-with-background-pages"],
      args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--disable-background-networking",
             "--disable-features=DisableLoadExtensionCommandLineSwitch",
             "--disable-extensions-except=" + extension, "--load-extension=" + extension],
    });
    this.worker = this.context.serviceWorkers()[0] ||
                  await this.context.waitForEvent("serviceworker", { timeout: 30000 });
    // Every download the browser created, so that "gone from the list" means it was there.
    await this.worker.evaluate(() => {
      self.createdInTest = [];
      chrome.downloads.onCreated.addListener((d) => createdInTest.push(d.url));
    });
    return new URL(this.worker.url()).host;
  }

  // The browser created a download of the address, then removed it from its list.
  async erased(url) {
    const created = await this.worker.evaluate((u) => createdInTest.includes(u), url);
    return created && await poll(10, async () => (await this.downloadsOf(url)).length === 0);
  }

  // The browser's list entry of an address, as the extension's downloads API sees it.
  downloadsOf(url) {
    return this.worker.evaluate((u) => chrome.downloads.search({ url: u }), url);
  }

  // Waits until every hand-off queued so far has had its answer (the chain is serial).
  settle() {
    return this.worker.evaluate(() => handOffs.run(async () => true));
  }

  async startDownloads(page, ...names) {
    await page.evaluate((n) => start(...n), names);
    await sleep(500);
    await this.settle();
  }

  async catching(site, base) {
    const page = await this.context.newPage();
    await page.goto(base + "downloads.html");

    // The text file and the blob come first: had either been handed over, New Download
    // would show it instead of the zip.
    await page.evaluate(() => startBlob());
    await this.startDownloads(page, "notes.txt", "accepted.zip");
    this.dialogShows(base + "accepted.zip", "accepted.zip");
    check(await this.erased(base + "accepted.zip"), "the accepted zip is gone from the browser's list");
    const kept = await poll(10, async () => {
      const all = await this.worker.evaluate(() => chrome.downloads.search({ state: "complete" }));
      return all.some((d) => d.url === base + "notes.txt") && all.some((d) => d.url.startsWith("blob:")) && all;
    });
    check(Boolean(kept), "the text file and the blob download finished in the browser");

    // Which of the two the browser creates first depends on which response comes first;
    // each must come once, the second after the first was answered.
    await this.startDownloads(page, "twin-a.zip", "twin-b.zip");
    const twins = [this.driver("shown"), this.driver("shown")].map((r) => r.status === 0 ? r.text : "none");
    check([...twins].sort().join(" ") === [base + "twin-a.zip\ntwin-a.zip", base + "twin-b.zip\ntwin-b.zip"].join(" "),
          "both downloads started at the same moment come to New Download, one after the other: " +
          twins.join(", ").replace(/\n/g, " as "));
    for (const name of ["twin-a.zip", "twin-b.zip"])
      check(await this.erased(base + name), `${name}, started at the same moment as its twin, is gone from the browser's list`);

    // Refusal: New Download stays open while the pending list fills up.
    const fill = this.driver("fill");
    check(fill.status === 0 && Number(fill.text) === 11,
          `Vonu refuses once a dialog is open and ten wait (took ${fill.text})`);
    await this.startDownloads(page, "refused.zip");
    const refused = await poll(15, async () => {
      const found = await this.downloadsOf(base + "refused.zip");
      return found.length === 1 && found[0].state === "complete";
    });
    check(refused, "with Vonu refusing, the browser keeps and finishes refused.zip");
    check(this.driver("stop").status === 0, "Vonu.exe exits");

    this.registerHost(this.silentHost);
    await this.startDownloads(page, "no-reply.zip");
    const kept2 = await poll(15, async () => {
      const found = await this.downloadsOf(base + "no-reply.zip");
      return found.length === 1 && found[0].state === "complete";
    });
    check(kept2, "with a host that ends without a reply, the browser keeps no-reply.zip");
    const ping = await this.worker.evaluate(() => handlers.ping());
    check(ping === undefined, "that host's ping gives no reply");
    this.registerHost(this.vonuHost);
    check(this.driver("none").status === 0, "no Vonu was started meanwhile");
    await page.close();
  }

  async videos(base, stream) {
    check(this.driver("start").status === 0, "Vonu.exe runs");
    const page = await this.context.newPage();
    await page.goto(base + "video.html");
    const tabId = await this.worker.evaluate(async (u) => (await chrome.tabs.query({ url: u }))[0].id,
                                             base + "video.html");
    const listed = await poll(10, async () => {
      const list = await this.worker.evaluate((id) => videoList(id), tabId);
      return list.some((e) => e.url === stream && e.kind === "Stream") && list;
    });
    check(Boolean(listed), "the tab remembers the fetched playlist as a stream");

    await page.mouse.move(360, 240);
    await page.mouse.move(362, 242);
    const shown = await poll(5, () => page.evaluate(() => document.elementFromPoint(60, 75)?.tagName));
    check(shown === "VONU-VIDEO-BUTTON", "the button stands at the video's top-left corner: " + shown);
    await page.mouse.click(60, 75);
    await sleep(300);
    await this.settle();
    // The extension names the stream "Clip one.mp4"; the program keeps the name and, finding
    // no ffmpeg in the test prefix to remux with, gives the stream ".ts".
    this.dialogShows(stream, "Clip one.ts");

    const link = await page.evaluate(() => document.getElementById("link").href);
    const accepted = await this.worker.evaluate(async ([id, url, pageUrl]) =>
      onMenuClicked({ menuItemId: "vonu-link", linkUrl: url, pageUrl }, await chrome.tabs.get(id)),
      [tabId, link, base + "video.html"]);
    check(accepted === true, "the context-menu entry's hand-off was accepted");
    this.dialogShows(link);
    await page.close();
  }

  async popup(id) {
    const page = await this.context.newPage();
    await page.setViewportSize({ width: 320, height: 520 });
    for (const [lang, status, dir] of [["en", "Connected to Vonu", "ltr"], ["ar", "متصل بڤونو", "rtl"]]) {
      check(this.driver("stop").status === 0, "Vonu.exe exits");
      this.driver("seed", lang);
      check(this.driver("start").status === 0, `Vonu.exe runs in ${lang}`);
      await page.goto(`chrome-extension://${id}/popup.html`);
      const shown = await poll(30, () => page.evaluate(([s, d]) =>
        document.getElementById("statusText").textContent === s && document.documentElement.dir === d, [status, dir]));
      const text = await page.evaluate(() => document.getElementById("statusText").textContent);
      check(shown, `the popup says "${status}" (${dir}): "${text}"`);
      await sleep(300);  // the status dot's colour fades in
      await page.screenshot({ path: path.join(this.shots, `extension-popup-${lang}.png`), fullPage: true });
    }
    await page.close();
  }

  async run() {
    fs.rmSync(this.work, { recursive: true, force: true });
    fs.mkdirSync(this.work, { recursive: true });
    fs.mkdirSync(this.shots, { recursive: true });
    const ports = Object.fromEntries(fs.readFileSync(path.join(this.build, "test-servers", "ports.txt"), "utf8")
      .split("\n").filter((l) => l.includes("=")).map((l) => [l.slice(0, l.indexOf("=")), l.slice(l.indexOf("=") + 1)]));
    const site = this.writePages(path.dirname(ports.FILES));
    const origin = `http://127.0.0.1:${ports.HTTP_PORT}`;
    const base = `${origin}/pages/extension/`;

    // Vonu registers at every start: one start writes the manifest the profile gets.
    this.driver("seed", "en");
    check(this.driver("start").status === 0, "Vonu.exe starts");
    check(this.driver("stop").status === 0, "Vonu.exe exits");
    this.hostScripts();
    const manifest = this.registerHost(this.vonuHost);

    const extension = path.join(this.work, "extension");
    fs.cpSync(path.join(this.source, "browser", "extension"), extension, { recursive: true });
    const key = JSON.parse(fs.readFileSync(path.join(extension, "manifest.json"), "utf8")).key;
    const id = await this.launch(extension);
    check(id === extensionId(key), `Chromium gives the extension the key's identifier ${id}`);
    check(manifest.allowed_origins[0] === `chrome-extension://${id}/`, "the host allows it first");

    check(this.driver("start").status === 0, "Vonu.exe runs");
    await this.catching(site, base);
    await this.videos(base, origin + "/files/hls/clear/index.m3u8");
    await this.popup(id);
  }

  async close() {
    if (this.context) await this.context.close().catch(() => {});
    this.driver("stop");
    this.driver("clear");
  }
}

async function main() {
  const opts = options();
  if (!process.env.WINEPREFIX || !process.env.DISPLAY) {
    console.error("WINEPREFIX and DISPLAY are not set: run through scripts/test.sh (never the user's own prefix)");
    return 1;
  }
  const test = new Test(opts);
  // Past the limit the process exits, and playwright ends the Chromium it started.
  const limit = setTimeout(() => {
    console.log("FAIL the time limit of " + opts.timeLimit + " s was reached");
    process.exit(1);
  }, opts.timeLimit * 1000);
  try {
    await test.run();
  } catch (e) {
    check(false, String(e && e.stack || e));
  } finally {
    await test.close();
    clearTimeout(limit);
  }
  console.log(failures.length ? `${failures.length} check(s) failed` : "every check passed");
  return failures.length ? 1 : 0;
}

process.exitCode = await main();
