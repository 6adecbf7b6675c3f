// web_test.mjs - the show's page in headless Chromium (WebGL2 through SwiftShader), served from
// 127.0.0.1 by a small static server of its own:
//   - the launcher (its version is the CMake project's, all the bytes loaded), "Zarn" double-clicked
//     starting the show once, progress, frames drawn (the canvas is not one flat colour), the music
//     clock advancing, Escape giving the end card; Tab reaching "Play again", which plays again with
//     the launcher's choices (full screen too); leaving full screen ending the show;
//   - ?still=F for frames of four scenes against `qz001-tool render --frame F` (PSNR of 30 dB or more);
//   - the bad paths: no WebGL2, no music file, the page opened as a file, bad URL parameters.
// Prints the measurements the README keeps: the size the page loads, the time to the first frame,
// frames per second; leaves screenshots of the launcher and the show in build-web/. Exit status 0
// when everything holds.
//
//     node web_test.mjs SITE_DIR QZ001_TOOL REPO_DIR
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [site, tool, repo] = process.argv.slice(2);
const stillFrames = [450, 1840, 4606, 6450]; // scenes 0, 4, 7 and 9
let failures = 0;

function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures += 1;
}

// Serves the site; under /nomusic/ the music file is missing.
function serve() {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    let url = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const noMusic = url.startsWith('/nomusic/');
    if (noMusic) url = url.slice('/nomusic'.length);
    if (url.endsWith('/')) url += 'index.html';
    const file = path.join(site, path.normalize(url));
    if (!file.startsWith(site) || (noMusic && url.startsWith('/music/')) || !fs.existsSync(file)) {
      response.writeHead(404, { 'Content-Type': 'text/plain' });
      response.end('not found');
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function launch(extra = []) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(os.tmpdir(), 'qz-chromium-')),
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
      '--autoplay-policy=no-user-gesture-required', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--disable-quic', '--window-size=1280,720', ...extra],
  });
}

async function openPage(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 720 });
  page.on('console', (message) => { if (message.type() === 'error') console.log('  page: ' + message.text()); });
  const started = Date.now();
  await page.goto(url);
  return { page, started };
}

const phase = (page) => page.evaluate(() => window.qz.phase);

async function waitForPhase(page, wanted, seconds) {
  await page.waitForFunction((w) => w.includes(window.qz.phase), { timeout: seconds * 1000, polling: 100 }, wanted);
  return phase(page);
}

// Standard deviation of the picture's grey levels (0 for one flat colour), through ImageMagick.
function spread(png) {
  return Number(execFileSync('convert', ['png:-', '-colorspace', 'gray', '-format', '%[fx:standard_deviation]', 'info:'], { input: png }).toString());
}

function psnr(a, b) {
  let sum = 0;
  for (let i = 0; i < a.length; i += 1) if (i % 4 !== 3) sum += (a[i] - b[i]) ** 2;
  const mse = sum / (a.length * 0.75);
  return mse === 0 ? Infinity : 10 * Math.log10((255 * 255) / mse);
}

async function playThrough(browser, base) {
  const { page, started } = await openPage(browser, base);
  await waitForPhase(page, ['launcher'], 60);
  check(await page.$eval('#start', (b) => b.textContent) === 'Zarn', 'the launcher offers "Zarn"');
  const version = /project\(qz001 VERSION ([0-9.]+)/.exec(fs.readFileSync(path.join(repo, 'CMakeLists.txt'), 'utf8'))[1];
  check(await page.$eval('#version', (e) => e.textContent) === `qz001 ${version}`, `the launcher shows the version qz001 ${version}`);
  check(await page.$eval('#download', (e) => e.value) === 1, 'the bytes loaded are the total the page announced');
  fs.writeFileSync(path.join(repo, 'build-web', 'launcher.png'), await page.screenshot({ type: 'png' }));
  await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 2 }); // a phone's screen (no reload)
  fs.writeFileSync(path.join(repo, 'build-web', 'launcher-phone.png'), await page.screenshot({ type: 'png' }));
  await page.setViewport({ width: 1280, height: 720 });
  await page.$eval('#aa', (box) => { box.checked = false; });
  await page.click('#start', { count: 2 }); // a double click starts the show once
  check(await waitForPhase(page, ['playing', 'failed'], 120) === 'playing', 'start-up finishes and the show plays');
  if (await phase(page) !== 'playing') {
    console.log('  ' + await page.evaluate(() => window.qz.message));
    return;
  }
  const firstFrame = (Date.now() - started) / 1000;
  const frames = () => page.evaluate(() => window.Module.ccall('qzFrameCount', 'number', [], []));
  const clock = () => page.evaluate(() => window.Module.ccall('qzMusicPositionMs', 'number', [], []));
  await page.waitForFunction(() => window.Module.ccall('qzFrameCount', 'number', [], []) >= 2, { timeout: 60000 });
  const [frames0, clock0, time0] = [await frames(), await clock(), Date.now()];
  await new Promise((r) => setTimeout(r, 8000));
  const [frames1, clock1, time1] = [await frames(), await clock(), Date.now()];
  const fps = (frames1 - frames0) / ((time1 - time0) / 1000);
  console.log(`  time from opening the page to the show playing: ${firstFrame.toFixed(1)} s; ${fps.toFixed(1)} frames/s at 1280x720; sound: ${await page.evaluate(() => window.qz.sound)}`);
  check(frames1 > frames0, `frames are drawn (${frames0} then ${frames1})`);
  check(clock1 - clock0 > 4000, `the music clock advances (${clock0} ms, then ${clock1} ms 8 s later)`);
  const shot = await page.screenshot({ type: 'png' });
  fs.writeFileSync(path.join(repo, 'build-web', 'show.png'), shot);
  check(spread(shot) > 0.01, 'the canvas shows a picture, not one flat colour');
  await page.keyboard.press('Escape');
  check(await waitForPhase(page, ['ended'], 30) === 'ended', 'Escape ends the show');
  check(await page.$eval('#end', (e) => !e.hidden) && await page.$eval('#again', (b) => b.textContent) === 'Play again',
    'the end card offers "Play again"');
  check(await page.evaluate(() => document.activeElement.id) === 'again', 'the end card puts the focus on "Play again"');
  // The keyboard is the page's again: Tab from the top of the page reaches "Play again", Enter presses it.
  await page.evaluate(() => document.activeElement.blur());
  let tabs = 0;
  while (tabs < 4 && await page.evaluate(() => document.activeElement.id) !== 'again') {
    await page.keyboard.press('Tab');
    tabs += 1;
  }
  check(await page.evaluate(() => document.activeElement.id) === 'again', `Tab reaches "Play again" (${tabs} presses)`);
  await page.keyboard.press('Enter');
  check(await waitForPhase(page, ['playing', 'failed'], 30) === 'playing', '"Play again" plays the show again');
  await page.waitForFunction(() => window.Module.ccall('qzFrameCount', 'number', [], []) >= 2, { timeout: 30000 });
  // The browser enters full screen when it gets to it (a loaded machine: seconds after the first frames).
  const fullScreen = await page.waitForFunction(() => !!document.fullscreenElement, { timeout: 30000 })
    .then(() => true, () => false);
  check(JSON.stringify(await page.evaluate(() => window.qz.started)) === '{"antialias":0,"music":1}' &&
    !await page.$eval('#aa', (box) => box.checked) && fullScreen,
  'it keeps the launcher\'s choices ("AA" unticked, "Music" ticked, full screen entered again)');
  if (fullScreen) await page.evaluate(() => document.exitFullscreen());
  check(await waitForPhase(page, ['ended'], 30) === 'ended', 'leaving full screen ends the show as Escape does');
  await page.close();
}

// The desktop show's frame rate on this machine for the same seconds of the show (llvmpipe under
// Xvfb), for comparison with the page's.
function desktopFps() {
  const args = ['-a', '-s', '-screen 0 1920x1080x24', 'timeout', '-s', 'TERM', '14',
    path.join(repo, 'build', 'app', 'qz001'), '--no-launcher', '--windowed', '--no-vsync', '--stats'];
  let text = '';
  try {
    text = execFileSync('xvfb-run', args, { cwd: repo, stdio: ['ignore', 'ignore', 'pipe'] }).toString();
  } catch (error) {
    text = String(error.stderr || '');
  }
  const fps = /\(([\d.]+) fps\)/.exec(text);
  return fps ? fps[1] : 'unknown';
}

async function stills(browser, base) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'qz-still-'));
  for (const frame of stillFrames) {
    const { page } = await openPage(browser, `${base}?still=${frame}`);
    const done = await waitForPhase(page, ['ended', 'failed'], 180);
    if (done !== 'ended') {
      check(false, `?still=${frame} renders (${await page.evaluate(() => window.qz.message)})`);
      continue;
    }
    const web = Buffer.from(await page.evaluate(() => {
      const pointer = window.Module.ccall('qzStillPixels', 'number', [], []);
      const bytes = window.Module.HEAPU8.subarray(pointer, pointer + 1280 * 720 * 4);
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      return btoa(text);
    }), 'base64');
    const png = path.join(scratch, `${frame}.png`);
    execFileSync(tool, ['render', '--frame', String(frame), '--out', png, '--gl', 'es'], { cwd: repo, stdio: 'ignore' });
    const desktop = execFileSync('convert', [png, '-depth', '8', 'rgba:-'], { maxBuffer: 1 << 24 });
    const db = psnr(web, desktop);
    check(db >= 30, `?still=${frame} against qz001-tool render --frame ${frame}: PSNR ${db.toFixed(1)} dB`);
    await page.close();
  }
}

async function badPaths(base) {
  let browser = await launch(['--disable-webgl', '--disable-3d-apis']);
  let { page } = await openPage(browser, base);
  await waitForPhase(page, ['failed'], 30);
  check(/WebGL2/.test(await page.$eval('#message-text', (e) => e.textContent)), 'without WebGL2 the page says so');
  await browser.close();

  browser = await launch();
  ({ page } = await openPage(browser, base.replace(/\/$/, '/nomusic/') + '?start'));
  await waitForPhase(page, ['failed', 'playing'], 60);
  check(/music\/ZB_PALEWIRE\.[0-9a-f]+\.xm could not be loaded \(404/.test(await page.$eval('#message-text', (e) => e.textContent)),
    'without the music file the page names it');

  // Opened as a file: the page says that it needs a web server, and how to start one.
  ({ page } = await openPage(browser, `file://${site}/index.html`));
  await waitForPhase(page, ['failed'], 30);
  check(/web server.*python3 -m http\.server/.test(await page.evaluate(() => window.qz.message)),
    'opened as a file the page asks for a web server and gives the command');

  // Bad URL parameters: a message that names the parameter and what it may be, and a way back.
  const badParameters = [
    ['scene=abc', /scene=abc is not a scene of the show/], ['scene=', /scene= is not a scene of the show/],
    ['scene=2.7', /scene=2\.7 is not a scene/], ['scene=3&at=60', /scene and at cannot be given together/],
    ['at=0x10', /at=0x10 is not a start inside the show/], ['still=abc', /still=abc is not a frame/],
    ['still=-5', /still=-5 is not a frame/], ['scene=11', /scene=11 is not a scene of the show \(0\.\.10\)/],
    ['at=130.482', /at=130\.482 is not a start inside the show \(0 to 130\.481 seconds\)/],
    ['still=7832', /still=7832 is not a frame of the show \(0\.\.7831\)/],
  ];
  const refused = [];
  for (const [query, expected] of badParameters) {
    await page.goto(`${base}?${query}`);
    await waitForPhase(page, ['failed', 'launcher'], 60);
    const [message, back] = await page.evaluate(() => [window.qz.message, document.getElementById('message-back')]
      .map((e) => (typeof e === 'string' ? e : !e.hidden && e.href)));
    if (expected.test(message) && back === base) refused.push(query);
    else console.log(`  ?${query}: "${message}", way back: ${back}`);
  }
  check(refused.length === badParameters.length, `bad URL parameters are refused by name with a way back (${refused.length} of ${badParameters.length})`);
  await browser.close();
}

const server = await serve();
const base = `http://127.0.0.1:${server.address().port}/`;
const bytes = fs.readdirSync(site, { recursive: true }).map((f) => path.join(site, f))
  .filter((f) => fs.statSync(f).isFile()).reduce((sum, f) => sum + fs.statSync(f).size, 0);
console.log(`  the page loads ${(bytes / 1e6).toFixed(2)} MB (${fs.readdirSync(site).join(', ')})`);
check(bytes < 8e6, 'the page loads less than 8 MB');
console.log(`  the desktop show on llvmpipe under Xvfb, its opening seconds: ${desktopFps()} frames/s`);
try {
  const browser = await launch();
  await playThrough(browser, base);
  await stills(browser, base);
  await browser.close();
  await badPaths(base);
} catch (error) {
  check(false, `the browser test ran to its end (${error.message})`);
}
server.close();
console.log(failures === 0 ? 'web test: all checks hold' : `web test: ${failures} check(s) failed`);
process.exit(failures === 0 ? 0 : 1);
