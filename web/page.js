// page.js - the page around the show: the launcher's controls, URL parameters, the music fetched
// into the show's file system, the progress bar, full screen, Escape and the end card.
//
// URL parameters, as the desktop's options: ?start (skip the launcher), ?scene=S, ?at=SECONDS,
// ?no-aa, ?no-music, ?still=F (render global frame F as `qz001-tool render --frame F` does and stop).
// For tests the page keeps its state in window.qz: {phase, frames, progress, reason, message}.
'use strict';

const qz = { phase: 'loading', frames: 0, progress: 0, reason: '', message: '' };
window.qz = qz;
const params = new URLSearchParams(location.search);
const $ = (id) => document.getElementById(id);

function show(section) {
  for (const id of ['launcher', 'progress', 'stage', 'end', 'message']) $(id).hidden = id !== section;
}

function fail(text) {
  qz.phase = 'failed';
  qz.message = text;
  $('message-text').textContent = text;
  show('message');
  if (document.fullscreenElement) document.exitFullscreen();
}

// WebGL2 with a renderable half-float colour buffer, or the reason it is missing.
function checkWebGl() {
  const gl = document.createElement('canvas').getContext('webgl2');
  if (!gl) return 'This browser offers no WebGL2 (OpenGL ES 3.0), which the show draws with.';
  if (!gl.getExtension('EXT_color_buffer_float') && !gl.getExtension('EXT_color_buffer_half_float'))
    return 'This browser\'s WebGL2 cannot render to half-float colour buffers (EXT_color_buffer_float), which the show needs.';
  return '';
}

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

async function fetchMusic() {
  const response = await fetch('music/ZB_PALEWIRE.xm');
  if (!response.ok) throw new Error('The music file music/ZB_PALEWIRE.xm could not be loaded (' + response.status + ' ' + response.statusText + ').');
  const bytes = new Uint8Array(await response.arrayBuffer());
  window.Module.FS.mkdirTree('/music');
  window.Module.FS.writeFile('/music/ZB_PALEWIRE.xm', bytes);
}

function startMs() {
  if (params.has('scene')) return window.Module.ccall('qzSceneStartMs', 'number', ['number'], [Number(params.get('scene'))]);
  if (params.has('at')) return Math.round(Number(params.get('at')) * 1000);
  return 0;
}

async function start() {
  const still = params.has('still') ? Number(params.get('still')) : -1;
  const wantMusic = still < 0 && $('music').checked;
  const sound = await prepareSound(wantMusic);
  qz.sound = sound;
  if (sound === 'refused') console.warn('qz001: the browser refused sound: the show plays silently on the wall clock');
  const ms = startMs();
  if (!(ms >= 0) || ms > 130481) return fail('The start ' + (params.get('scene') ?? params.get('at')) + ' lies outside the show (scenes 0..10, 0 to 130.481 seconds).');
  if (wantMusic) {
    try { await fetchMusic(); } catch (e) { return fail(e.message); }
  }
  if ($('fullscreen').checked && still < 0 && !params.has('start')) {
    document.documentElement.requestFullscreen().catch(() => { });
  }
  qz.phase = 'starting';
  show('progress');
  const antialias = still >= 0 ? 1 : ($('aa').checked ? 1 : 0);
  // A refused sound still plays the music's clock, silently, on the wall clock.
  window.Module.ccall('qzStart', 'number', ['number', 'number', 'number', 'number', 'number'],
    [antialias, wantMusic ? 1 : 0, sound === 'on' ? 1 : 0, ms, still]);
}

window.Module = {
  canvas: $('canvas'),
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
  qzReady() {
    if (qz.phase === 'failed') return;
    qz.phase = 'launcher';
    $('loading').hidden = true;
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
    }
  },
  qzEnded(reason, frames) {
    qz.phase = 'ended';
    qz.reason = reason;
    qz.frames = frames;
    if (reason === 'still frame') return;
    if (document.fullscreenElement) document.exitFullscreen();
    $('end-text').textContent = reason === 'Escape' ? 'The show was stopped.' : 'The show has ended.';
    show('end');
  },
  qzFailed(message) { fail('The show cannot start: ' + message); },
  onAbort(what) { fail('The show stopped with an error: ' + what); },
};

$('start').addEventListener('click', start);
$('cancel').addEventListener('click', () => {
  qz.phase = 'cancelled';
  $('end-text').textContent = 'The show was cancelled.';
  $('again').hidden = true;
  show('end');
});
$('again').addEventListener('click', () => {
  const next = new URLSearchParams(location.search);
  next.set('start', '');
  location.search = next.toString();
});
document.addEventListener('keydown', (event) => {
  if (event.key === 'Escape' && qz.phase === 'playing') window.Module.ccall('qzStop', null, [], []);
});
for (const flag of ['no-aa', 'no-music']) if (params.has(flag)) $(flag.slice(3)).checked = false;
{
  const problem = checkWebGl();
  if (problem) fail(problem);
}
