// web_test.mjs - the show's page in headless Chromium (WebGL2 through SwiftShader), served from
// 127.0.0.1 by a small static server of its own:
//   - the launcher, "Zarn", progress, frames drawn (the canvas is not one flat colour), the music
//     clock advancing, Escape giving the end card;
//   - ?still=F for frames of four scenes against `qz001-tool render --frame F` (PSNR of 30 dB or more);
//   - the bad paths: no WebGL2, no music file.
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
  fs.writeFileSync(path.join(repo, 'build-web', 'launcher.png'), await page.screenshot({ type: 'png' }));
  await page.$eval('#fullscreen', (box) => { box.checked = false; });
  await page.click('#start');
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
  check(/music\/ZB_PALEWIRE\.xm could not be loaded \(404/.test(await page.$eval('#message-text', (e) => e.textContent)),
    'without the music file the page names it');
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
