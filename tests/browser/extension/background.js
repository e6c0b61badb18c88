// The test extension: asks the test's control server on 127.0.0.1 what to send, sends it to
// the native messaging host com.vonu.downloader exactly as the product's extension does (a
// one-shot native message), and posts back the reply, the error and the time it took.
// config.json (written by the test beside this file) names the control server's port.

const HOST = 'com.vonu.downloader';

async function post(base, path, body) {
  await fetch(base + path, {method: 'POST', body: JSON.stringify(body)});
}

async function run() {
  const config = await (await fetch(chrome.runtime.getURL('config.json'))).json();
  const base = 'http://127.0.0.1:' + config.port;
  await post(base, '/hello', {id: chrome.runtime.id});
  for (;;) {
    // An extension call keeps the service worker alive between commands.
    await chrome.runtime.getPlatformInfo();
    let command;
    try {
      command = await (await fetch(base + '/next')).json();
    } catch (e) {
      await new Promise(r => setTimeout(r, 200));
      continue;
    }
    if (command.op === 'quit') return;
    if (command.op !== 'send') continue;
    const start = performance.now();
    let reply = null, error = null;
    try {
      reply = await chrome.runtime.sendNativeMessage(HOST, command.message);
    } catch (e) {
      error = String((e && e.message) || e);
    }
    await post(base, '/result', {seq: command.seq, reply, error, ms: performance.now() - start});
  }
}

run();
