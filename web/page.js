// page.js - the page around the show: its files loaded with their progress in bytes, the URL
// parameters checked, the launcher's controls, the music handed to the show's file system, the
// start-up progress bar, full screen, Escape, the end card and "Play again".
//
// URL parameters, as the desktop's options: ?start (skip the launcher), ?scene=S, ?at=SECONDS,
// ?no-aa, ?no-music, ?still=F (render global frame F as `qz001-tool render --frame F` does and stop).
// They are checked when the page loads (their form) and when the show has loaded (their bounds, which
// the show gives); a bad one gets a message that names it, with a way back to the launcher. Other
// parameters are left alone (links often carry some).
// For tests the page keeps its state in window.qz: {phase, frames, progress, reason, message, started}.
'use strict';

const qz = { phase: 'loading', frames: 0, progress: 0, reason: '', message: '', started: null };
window.qz = qz;
const params = new URLSearchParams(location.search);
const $ = (id) => document.getElementById(id);
const files = document.body.dataset; // the names web/build.sh gave the files, and their sizes
const launcherUrl = location.pathname;
let musicBytes = null; // the music file, fetched with the rest, written into the show's file system at the start
let fullScreen = 'none'; // for this run of the show: 'none', 'asked', 'entered', or 'left' (by the browser's Escape)

function show(section) {
  for (const id of ['launcher', 'progress', 'stage', 'end', 'message']) $(id).hidden = id !== section;
}

// Ends the page on a message; `back` offers the launcher again, `command` is shown to copy.
function fail(text, { back = false, command = '' } = {}) {
  if (qz.phase === 'failed') return;
  qz.phase = 'failed';
  qz.message = text + (command ? ' ' + command : '');
  $('message-text').textContent = text;
  $('message-command').textContent = command;
  $('message-command').hidden = !command;
  $('message-back').hidden = !back;
  show('message');
  if (document.fullscreenElement) document.exitFullscreen().catch(() => { });
}

// WebGL2 with a renderable half-float colour buffer, or the reason it is missing.
function checkWebGl() {
  const gl = document.createElement('canvas').getContext('webgl2');
  if (!gl) return 'This browser offers no WebGL2 (OpenGL ES 3.0), which the show draws with.';
  if (!gl.getExtension('EXT_color_buffer_float') && !gl.getExtension('EXT_color_buffer_half_float'))
    return 'This browser\'s WebGL2 cannot render to half-float colour buffers (EXT_color_buffer_float), which the show needs.';
  return '';
}

// --- URL parameters ------------------------------------------------------------------------------

const wholeNumber = /^[0-9]+$/;
const seconds = /^[0-9]+(\.[0-9]+)?$/;

// What is wrong with the parameters, or ''. Without `bounds` only their form is checked; with it
// ({scenes, frames, endMs} from the show) their values too.
function paramProblem(bounds) {
  const scene = params.get('scene'), at = params.get('at'), still = params.get('still');
  const lastStart = bounds ? ((bounds.endMs - 1) / 1000).toFixed(3) : '';
  if (scene !== null && at !== null)
    return 'The parameters scene and at cannot be given together: the show starts at one place (scene=S or at=SECONDS).';
  if (scene !== null && (!wholeNumber.test(scene) || (bounds && Number(scene) >= bounds.scenes)))
    return `The parameter scene=${scene} is not a scene of the show` + (bounds ? ` (0..${bounds.scenes - 1}).` : ' (a whole number from 0).');
  if (at !== null && (!seconds.test(at) || (bounds && Math.round(Number(at) * 1000) >= bounds.endMs)))
    return `The parameter at=${at} is not a start inside the show` + (bounds ? ` (0 to ${lastStart} seconds).` : ' (seconds, such as 62.5).');
  if (still !== null && (!wholeNumber.test(still) || (bounds && Number(still) >= bounds.frames)))
    return `The parameter still=${still} is not a frame of the show` + (bounds ? ` (0..${bounds.frames - 1}).` : ' (a whole number from 0).');
  return '';
}

function checkParams(bounds) {
  const problem = paramProblem(bounds);
  if (problem) fail(problem, { back: true });
  return !problem;
}

// --- loading -------------------------------------------------------------------------------------

const megabytes = (bytes) => (bytes / 1e6).toFixed(1);

const loading = { received: 0, total: 0 };

function showLoaded(bytes) {
  loading.received += bytes;
  const { received, total } = loading;
  $('loading').textContent = total
    ? `Loading the show: ${megabytes(Math.min(received, total))} of ${megabytes(total)} MB`
    : `Loading the show: ${megabytes(received)} MB`;
  $('download').value = total ? Math.min(received / total, 1) : 0;
}

// The whole file at `url`, counting its bytes as they arrive. Throws an Error whose message names it.
async function fetchBytes(url, what) {
  let response;
  try {
    response = await fetch(url);
  } catch (error) {
    throw new Error(`${what} ${url} could not be loaded (${error.message}).`);
  }
  if (!response.ok) throw new Error(`${what} ${url} could not be loaded (${response.status} ${response.statusText}).`);
  const reader = response.body.getReader();
  const chunks = [];
  let size = 0;
  for (;;) {
    const { done, value } = await reader.read();
    if (done) break;
    chunks.push(value);
    size += value.length;
    showLoaded(value.length);
  }
  const bytes = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    bytes.set(chunk, at);
    at += chunk.length;
  }
  return bytes;
}

// The show's script, its WebAssembly and the music, all before the click; then the script runs.
async function loadShow() {
  if (location.protocol === 'file:') {
    fail('Opened as a file, the page cannot load the show: the browser lets a page read its files only from a web server. ' +
      'Serve the folder that holds index.html and open the address it gives, for instance with:',
    { command: 'python3 -m http.server 8000    (then open http://localhost:8000/)' });
    return;
  }
  const wantMusic = !params.has('no-music') && !params.has('still');
  loading.total = (Number(files.bytes) || 0) + (wantMusic ? Number(files.musicBytes) || 0 : 0);
  let script, wasm;
  try {
    [script, wasm, musicBytes] = await Promise.all([
      fetchBytes(files.script, 'The show\'s file'),
      fetchBytes(files.wasm, 'The show\'s file'),
      wantMusic ? fetchBytes(files.music, 'The music file') : Promise.resolve(null),
    ]);
  } catch (error) {
    fail(error.message);
    return;
  }
  if (qz.phase === 'failed') return;
  $('loading').textContent = 'Preparing the show...';
  window.Module.wasmBinary = wasm.buffer;
  const element = document.createElement('script');
  element.src = URL.createObjectURL(new Blob([script], { type: 'text/javascript' }));
  element.onerror = () => fail(`The show's file ${files.script} could not be run.`);
  document.body.appendChild(element);
}

// --- the show ------------------------------------------------------------------------------------

// Sound needs the page's permission (a click); without it the show plays silently on the wall clock.
async function prepareSound(wanted) {
  if (!wanted) return 'off';
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context) return 'refused';
  window.Module.SDL2 = window.Module.SDL2 || {};
  const context = window.Module.SDL2.audioContext || new Context();
  window.Module.SDL2.audioContext = context;
  try { await Promise.race([context.resume(), new Promise((r) => setTimeout(r, 500))]); } catch (e) { }
  return context.state === 'running' ? 'on' : 'refused';
}

function writeMusic() {
  if (!musicBytes) return false;
  window.Module.FS.mkdirTree('/music');
  window.Module.FS.writeFile('/music/ZB_PALEWIRE.xm', musicBytes);
  musicBytes = null;
  return true;
}

function startMs() {
  if (params.has('scene')) return window.Module.ccall('qzSceneStartMs', 'number', ['number'], [Number(params.get('scene'))]);
  if (params.has('at')) return Math.round(Number(params.get('at')) * 1000);
  return 0;
}

// "Zarn", ?start and "Play again": once per run, whatever the clicks. Full screen is asked for inside
// the click, before anything is awaited (browsers grant it only there).
async function start() {
  if (qz.phase !== 'launcher' && qz.phase !== 'ended') return;
  const again = qz.phase === 'ended';
  qz.phase = 'starting';
  $('start').disabled = true;
  $('again').disabled = true;
  const still = params.has('still') ? Number(params.get('still')) : -1;
  fullScreen = 'none';
  if ($('fullscreen').checked && still < 0 && !params.has('start') && document.documentElement.requestFullscreen) {
    fullScreen = 'asked';
    document.documentElement.requestFullscreen().catch(() => { fullScreen = 'none'; });
  }
  const wantMusic = still < 0 && $('music').checked;
  if (wantMusic && !again && !musicBytes) { // ?no-music, then "Music" ticked
    try { musicBytes = await fetchBytes(files.music, 'The music file'); } catch (error) { return fail(error.message); }
  }
  const sound = await prepareSound(wantMusic);
  qz.sound = sound;
  if (sound === 'refused') console.warn('qz001: the browser refused sound: the show plays silently on the wall clock');
  if (!again) writeMusic();
  if (!again) show('progress');
  const antialias = still >= 0 ? 1 : ($('aa').checked ? 1 : 0);
  qz.started = { antialias, music: wantMusic ? 1 : 0 };
  // A refused sound still plays the music's clock, silently, on the wall clock.
  window.Module.ccall('qzStart', 'number', ['number', 'number', 'number', 'number', 'number'],
    [antialias, wantMusic ? 1 : 0, sound === 'on' ? 1 : 0, startMs(), still]);
}

function stop() {
  if (qz.phase === 'playing') window.Module.ccall('qzStop', null, [], []);
}

window.Module = {
  canvas: $('canvas'),
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
  locateFile: (name) => (name.endsWith('.wasm') ? files.wasm : name),
  qzReady() {
    if (qz.phase === 'failed') return;
    const call = (name) => window.Module.ccall(name, 'number', [], []);
    if (!checkParams({ scenes: call('qzSceneCount'), frames: call('qzShowFrameCount'), endMs: call('qzShowEndMs') })) return;
    $('version').textContent = 'qz001 ' + window.Module.ccall('qzVersion', 'string', [], []);
    qz.phase = 'launcher';
    $('loading').hidden = true;
    $('download').hidden = true;
    $('start').disabled = false;
    if (params.has('start') || params.has('still')) start();
  },
  qzProgress(done, total) {
    qz.progress = done / total;
    $('bar').value = qz.progress;
    if (done === total) {
      qz.phase = 'playing';
      show('stage');
      $('canvas').focus();
      if (fullScreen === 'left') stop(); // full screen was left while the show was being built
    }
  },
  qzEnded(reason, frames) {
    qz.phase = 'ended';
    qz.reason = reason;
    qz.frames = frames;
    if (reason === 'still frame') return;
    if (document.fullscreenElement) document.exitFullscreen().catch(() => { });
    $('end-text').textContent = reason === 'Escape' ? 'The show was stopped.' : 'The show has ended.';
    $('again').disabled = false;
    show('end');
    $('again').focus();
  },
  qzFailed(message) { fail('The show cannot start: ' + message); },
  onAbort(what) { fail('The show stopped with an error: ' + what); },
};

$('start').addEventListener('click', start);
$('again').addEventListener('click', start);
$('cancel').addEventListener('click', () => {
  qz.phase = 'cancelled';
  $('end-text').textContent = 'The show was cancelled.';
  $('again').hidden = true;
  show('end');
  document.querySelector('#end .back').focus();
});
for (const link of document.querySelectorAll('.back')) link.href = launcherUrl;
document.addEventListener('keydown', (event) => {
  if (event.key === 'Escape') stop();
});
// Leaving full screen (the browser's own Escape) ends the show as Escape does: it would play on unseen.
document.addEventListener('fullscreenchange', () => {
  if (document.fullscreenElement) {
    if (fullScreen === 'asked') fullScreen = 'entered';
  } else if (fullScreen === 'entered') {
    fullScreen = 'left';
    stop();
  }
});
window.addEventListener('unhandledrejection', (event) => fail('The page stopped with an error: ' + event.reason));
for (const flag of ['no-aa', 'no-music']) if (params.has(flag)) $(flag.slice(3)).checked = false;
{
  const problem = checkWebGl();
  if (problem) fail(problem);
  else if (checkParams(null)) loadShow();
}
