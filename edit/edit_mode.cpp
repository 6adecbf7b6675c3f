// edit_mode.cpp - the edit mode's window, its keys, and its turn: the show's own turn (runShowTurn)
// with hooks that take the clock from the play head and draw the panels over the window before the swap.
#include "edit/edit_mode.h"

#include <SDL.h>
#include <algorithm>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <cstdio>
#include <imgui.h>

#include "audio/music.h"
#include "data/scene_data.h"
#include "director/director_state.h"
#include "edit/capture/loop_capture.h"
#include "edit/music/music_energy.h"
#include "edit/panels/edit_panels.h"
#include "edit/panels/panel_input.h"
#include "edit/session/key_edit.h"
#include "edit/session/scene_length.h"
#include "edit/session/value_edit.h"
#include "edit/sync/sync_client.h"
#include "edit/transport/edit_frame.h"
#include "render/pass_timer.h"
#include "show/process_clock.h"
#include "show/show.h"

namespace {

struct EditApp {
    EditDesc desc;
    RenderDevice dev;
    EditState state;
    EditView view;
    EditLayout layout;
    GpuPassTimer timer;
    FramePassTimes passTimes; // without timer queries: glFinish after each pass
    uint64_t fpsTicks;        // the start of the frame-rate count
    int fpsFrames;
    uint64_t titleTicks;  // when the window's title last told the play head
    ShaderWatch shaders;  // the shader files of the source tree, reloaded when saved
    DataWatch data;       // the scene data's files, rebuilt and swapped in when saved
    SceneSet scenes;      // the scene data playing
    EditFrame frame;      // the frame last evaluated, and whether it must be evaluated anew
    SlowFrameGuard guard; // which frames the slow-frame guard judges
    uint32_t liveChanges; // the value edits' count of changes to the running tables, as last drawn
    uint64_t frames;      // drawn, for --stats
    uint64_t firstTicks;  // when the first was drawn
    double windowOpened, started, watching; // seconds since exec at each start-up step, for --stats
    PanelInput input;                       // the events taken since the last frame, for the panels
    SDL_Window* window;
};

EditApp app;
ValueEdits valueEdits;   // the inspector's changes, written back into the scene files (large: kept apart)
KeyEdits keyEdits;       // the tracks panel's keys, written back into data/tracks.cpp, in the same undo list
LengthEdits lengthEdits; // the scenes' lengths dragged on the timeline
LoopCapture loopCapture; // the "capture loop" button's child process
ShowEnergy musicEnergy;  // the music's loudness along the timeline

// The sync editor's connection, keys and last save: large, so kept apart from EditApp's fresh start.
struct EditSync {
    bool on;
    SyncClient client;
    SyncTracks tracks;
    SyncSave save;
    uint32_t saves;
    uint32_t reloadsAtSave;   // the data reloads when the last save was written
    float reloadedDifference; // live against the tracks playing since the reload after it; -1 = not yet
};
EditSync editSync;

//-----------------------------------------------------------------------------
// Keys
//-----------------------------------------------------------------------------

// A held key repeats; undo and redo act on its press alone (one press, one step).
void pressKey(EditState& s, const SDL_Keysym& key, bool repeat) {
    const bool shift = (key.mod & KMOD_SHIFT) != 0, ctrl = (key.mod & KMOD_CTRL) != 0;
    switch (key.sym) {
    case SDLK_SPACE:
        editTogglePause(s);
        app.view.slowFrame[0] = 0; // draw again, slow or not
        break;
    case SDLK_LEFT:
        ctrl ? editStepFrames(s, -1) : editStepBeats(s, shift ? -4 : -1);
        break;
    case SDLK_RIGHT:
        ctrl ? editStepFrames(s, 1) : editStepBeats(s, shift ? 4 : 1);
        break;
    case SDLK_COMMA:
        if (s.paused) editStepFrames(s, -1);
        break;
    case SDLK_PERIOD:
        if (s.paused) editStepFrames(s, 1);
        break;
    case SDLK_PAGEUP:
        editStepScenes(s, app.scenes.scenes, -1);
        break;
    case SDLK_PAGEDOWN:
        editStepScenes(s, app.scenes.scenes, 1);
        break;
    case SDLK_HOME:
        editSeekStart(s);
        break;
    case SDLK_END:
        editSeekEnd(s);
        break;
    case SDLK_l:
        editToggleLoop(s, app.scenes.scenes);
        break;
    case SDLK_i:
        editMarkIn(s);
        break;
    case SDLK_o:
        editMarkOut(s);
        break;
    case SDLK_F1:
        s.panelsHidden = !s.panelsHidden;
        break;
    case SDLK_z: // Ctrl+Z undo, Ctrl+Shift+Z redo: each step writes its file back
        if (ctrl && !repeat)
            shift ? redoValueEdit(valueEdits, app.scenes) : undoValueEdit(valueEdits, app.scenes);
        break;
    case SDLK_y:
        if (ctrl && !repeat) redoValueEdit(valueEdits, app.scenes);
        break;
    default:
        break;
    }
}

//-----------------------------------------------------------------------------
// The sync editor
//-----------------------------------------------------------------------------

bool startEditSync(std::string& error) {
    EditSync& s = editSync;
    s.on = false;
    s.client = SyncClient{};
    s.saves = 0;
    s.reloadedDifference = -1;
    nameSyncTracks(s.tracks, *app.scenes.trackNames);
    if (!startSyncClient(s.client, app.desc.syncHost, app.desc.syncPort, {}, error)) return false;
    driveTracksFrom(&s.tracks);
    s.on = true;
    app.view.syncClient = &s.client;
    app.view.syncTracks = &s.tracks;
    app.view.syncSave = &s.save;
    return true;
}

void saveEditSync() {
    EditSync& s = editSync;
    const std::string path = std::string(editSourceFolder()) + "/data/tracks.cpp";
    saveSyncTracks(s.tracks, app.scenes.tracks, path.c_str(), s.save);
    ++s.saves;
    app.view.syncSaves = s.saves;
    s.reloadsAtSave = app.data.reloads;
    s.reloadedDifference = -1;
    std::fprintf(stderr, "qz001: sync editor's save: %s\n", s.save.note);
}

// Once the scene reload has taken the saved tracks: how far they lie from the live curve.
void measureSavedTracks() {
    EditSync& s = editSync;
    if (!s.saves || s.reloadedDifference >= 0 || app.data.reloads == s.reloadsAtSave) return;
    float largest = 0;
    for (int32_t t = 0; t < kTrackCount; ++t)
        if (s.save.savedTrack[t])
            largest = std::max(
                largest, largestSyncDifference(s.tracks, t, app.scenes.tracks[t], app.scenes.tracks[t]));
    s.reloadedDifference = largest;
    app.view.syncReloadedDifference = largest;
}

// Before each frame is evaluated: what the editor sent, then the row the transport is in, when it moved.
// True when the editor's keys changed what a track plays.
bool pollEditSync(const DemoClock& clock) {
    EditSync& s = editSync;
    if (!s.on) return false;
    const uint64_t nowMs = SDL_GetPerformanceCounter() * 1000 / SDL_GetPerformanceFrequency();
    const SyncEvents e = pollSyncClient(s.client, s.tracks, nowMs);
    if (e.connected) takeSentTracks(s.tracks, app.scenes.tracks); // the keys the editor holds for them
    if (s.client.statusChanged) {
        std::fprintf(stderr, "qz001: %s\n", s.client.status);
        s.client.statusChanged = false;
    }
    if (e.pause && e.paused != app.state.paused) editTogglePause(app.state);
    if (e.seek) editSeekFrame(app.state, rowFirstFrame(e.row));
    if (e.save) saveEditSync();
    measureSavedTracks();
    app.view.syncReloadedDifference = s.reloadedDifference;
    if (!e.seek) sendSyncRow(s.client, rowOfFrame(clock.frame));
    return e.keysChanged;
}

void stopEditSync() {
    if (!editSync.on) return;
    driveTracksFrom(nullptr);
    stopSyncClient(editSync.client);
    editSync.on = false;
}

//-----------------------------------------------------------------------------
// The turn's hooks
//-----------------------------------------------------------------------------

bool escapeHeld(void*) {
    return SDL_GetKeyboardState(nullptr)[SDL_SCANCODE_ESCAPE] != 0;
}

bool musicPlaying(void*) {
    return true; // the edit mode does not end with the music: the play head stops on the last frame
}

LoopEvent takeEvent(void*) {
    if (app.desc.signal && *app.desc.signal) return LoopEvent::signal;
    SDL_Event e;
    if (!takePanelEvent(app.input, e)) return LoopEvent::none;
    if (e.type == SDL_QUIT) return LoopEvent::quit;
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) return LoopEvent::quit;
    if (e.type == SDL_KEYDOWN && e.key.keysym.scancode == SDL_SCANCODE_ESCAPE) return LoopEvent::escape;
    if (e.type == SDL_KEYDOWN && !ImGui::GetIO().WantTextInput)
        pressKey(app.state, e.key.keysym, e.key.repeat != 0);
    return LoopEvent::other;
}

// Takes saved scene data first, so the clock the turn computes reads the new scenes' lengths; the
// play head stays. Then carries out what the transport asked of the music and follows it.
uint32_t positionMs(void*) {
    if (pollDataWatch(app.data, app.scenes)) {
        takeRebuiltScenes(valueEdits, app.scenes);
        editFrameChanged(app.frame);
        editChangeTaken(app.guard);
        app.view.slowFrame[0] = 0;
    }
    takeEditedLengths(valueEdits, app.scenes); // a length dragged or undone: the clock reads it now
    pollLoopCapture(loopCapture);
    app.view.energy = readyShowEnergy(musicEnergy);
    editDriveMusic(app.state, EditMusic{musicPositionMs, seekMusic, pauseMusic});
    return (uint32_t)app.state.positionMs;
}

void drawPanels(void*) {
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    showPanelInput(app.input);
    ImGui::NewFrame();
    if (!app.state.panelsHidden) drawEditPanels(app.state, app.view, app.layout);
    ImGui::Render();
    // The show's sampler (mip-linear) on unit 0 would make the font texture, which has no mips,
    // incomplete; the panels' back end takes it off there itself only on OpenGL 3.3, not on ES.
    glBindSampler(0, 0);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    glBindSampler(0, app.dev.sampler);
}

// The window's title tells the play head, ten times a second at most (a script can read it).
void retitle(const DemoClock& clock) {
    const uint64_t now = SDL_GetPerformanceCounter();
    if ((double)(now - app.titleTicks) < 0.1 * (double)SDL_GetPerformanceFrequency()) return;
    app.titleTicks = now;
    char title[96];
    const int32_t ms = app.state.positionMs;
    std::snprintf(title, sizeof title, "qz001 --edit - %d:%02d.%03d frame %d scene %d%s", ms / 60000,
                  ms / 1000 % 60, ms % 1000, clock.frame, clock.sceneIndex,
                  app.state.paused ? " paused" : "");
    SDL_SetWindowTitle(app.window, title);
}

void measure() {
    EditView& v = app.view;
    if (!v.gpuTimed) {
        if (!app.passTimes.runs[kPresentPass]) return; // the first frame timed this way is still to come
        for (int p = 0; p < kFramePassCount; ++p) v.passMs[p] = app.passTimes.seconds[p] * 1000.0;
        app.passTimes = FramePassTimes{};
    } else {
        for (int p = 0; p < kFramePassCount; ++p) v.passMs[p] = app.timer.milliseconds[p];
    }
    const uint64_t now = SDL_GetPerformanceCounter();
    const double seconds = (double)(now - app.fpsTicks) / (double)SDL_GetPerformanceFrequency();
    if (++app.fpsFrames >= 30 || seconds >= 1.0) {
        v.fps = app.fpsFrames / seconds;
        app.fpsTicks = now;
        app.fpsFrames = 0;
    }
}

// A frame that takes seconds (a shader's loop, data too heavy) would leave the transport seconds
// behind every key: the play head stops there, which draws nothing more until something changes, and
// the panels say which file was saved last in this run, if one was.
void noteSlowFrame(const DemoClock& clock) {
    const SaveClock& shaders = app.shaders.clock;
    const SaveClock& data = app.data.clock;
    const SaveClock& newest =
        !data.lastSaved[0] || (shaders.lastSaved[0] && shaders.savedAtUs >= data.savedAtUs) ? shaders : data;
    char saved[600] = "no file was saved since the start";
    if (newest.lastSaved[0])
        std::snprintf(saved, sizeof saved, "the file saved last is %s", newest.lastSaved);
    std::snprintf(app.view.slowFrame, sizeof app.view.slowFrame,
                  "frame %d took %.1f s to draw (more than %.0f s): the play head stopped there and no "
                  "frame is drawn until a file is saved again or Space plays; %s",
                  clock.frame, app.view.drawMs / 1000.0, kEditSlowFrameMs / 1000.0, saved);
    std::fprintf(stderr, "qz001: %s\n", app.view.slowFrame);
    if (!app.state.paused) editTogglePause(app.state);
}

// --stats at the first frame: the time since exec and where it went, step by step, as the player says
// it, with the edit mode's own step (panels, watches, the first builds started) before the first frame.
void printStartup(const DemoClock& clock) {
    const double now = secondsSinceExec();
    std::fprintf(stderr, "qz001: first frame %d on screen %.3f s after %s (to main %.3f, music file %.3f",
                 clock.frame, now, processClockOrigin(), app.desc.atMain,
                 app.desc.musicOpened - app.desc.atMain);
    std::fprintf(stderr, ", window %.3f", app.windowOpened - app.desc.musicOpened);
    for (int step = 0; step < showStartStepCount(); ++step)
        std::fprintf(stderr, ", %s %.3f", showStartStepName(step), showStartStepSeconds(step));
    std::fprintf(stderr, ", panels and watches %.3f, first frame %.3f)\n", app.watching - app.started,
                 now - app.watching);
    std::fflush(stderr);
}

// The frame at the play head as the show draws it there (edit_frame.h); the same frame with nothing
// changed is presented again without evaluating or rendering it.
void drawFrame(void*, const DemoClock& clock) {
    if (pollEditSync(clock)) editFrameChanged(app.frame); // the editor's keys changed a track
    if (pollShaderWatch(app.shaders, app.dev)) {
        editFrameChanged(app.frame);
        editChangeTaken(app.guard);
        app.view.slowFrame[0] = 0; // a new change: the next frame's time speaks for it
    }
    if (valueEdits.liveChanges != app.liveChanges) { // a value dragged, typed, undone: draw it
        app.liveChanges = valueEdits.liveChanges;
        editFrameChanged(app.frame);
    }
    const uint64_t start = SDL_GetPerformanceCounter();
    // After a frame over the limit nothing new is drawn until a file changes or Space plays again:
    // the keys and the panels answer at once, the picture stays the last one drawn.
    const bool held = app.view.slowFrame[0] && !app.frame.stale;
    if (held || editPrepareFrame(app.frame, clock, app.scenes.scenes, app.dev) == kEditPresentAgain) {
        present(app.dev);
    } else {
        recordEditFrame(app.view, app.state);
        FrameInput in = directorFrameInput();
        if (app.view.gpuTimed)
            in.gpuTimer = &app.timer;
        else
            in.passTimes = &app.passTimes;
        renderFrame(app.dev, in);
        app.view.drawMs =
            (double)(SDL_GetPerformanceCounter() - start) * 1000.0 / (double)SDL_GetPerformanceFrequency();
        if (editFrameTooSlow(app.guard, clock.sceneIndex, app.view.drawMs, kEditSlowFrameMs))
            noteSlowFrame(clock);
    }
    if (app.frames++ == 0) {
        app.firstTicks = SDL_GetPerformanceCounter();
        if (app.desc.stats) printStartup(clock);
    }
    noteShaderFrameDrawn(app.shaders);
    noteDataFrameDrawn(app.data);
    measure();
    retitle(clock);
}

//-----------------------------------------------------------------------------
// Start-up
//-----------------------------------------------------------------------------

SDL_Window* openEditWindow(GlApi api, std::string& error) {
    requestGlAttributes(api);
    SDL_DisplayMode mode = {};
    const bool known = SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0;
    app.layout = editLayoutFor(known ? mode.w : kShowWidth, known ? mode.h : kShowHeight);
    SDL_Window* window =
        SDL_CreateWindow("qz001 --edit", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, app.layout.width,
                         app.layout.height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window) error = std::string("cannot open the edit window: ") + SDL_GetError();
    return window;
}

void startPanels(SDL_Window* window, GlApi api) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForOpenGL(window, app.dev.context);
    ImGui_ImplOpenGL3_Init(api == kGlEs ? "#version 300 es" : "#version 330 core");
}

void stopPanels() {
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
}

void printStats(ShowEnd end) {
    const double seconds =
        (double)(SDL_GetPerformanceCounter() - app.firstTicks) / (double)SDL_GetPerformanceFrequency();
    std::fprintf(stderr, "qz001: edit mode ended by %s; %llu frames in %.1f s (%.1f fps), panels %s\n",
                 showEndName(end), (unsigned long long)app.frames, seconds,
                 app.frames > 1 && seconds > 0 ? (double)(app.frames - 1) / seconds : 0.0,
                 app.state.panelsHidden ? "hidden" : "shown");
}

} // namespace

EditEnd runEditMode(const EditDesc& desc, std::string& error) {
    app = EditApp{};
    app.desc = desc;
    app.state = editStart(desc.startMs);
    app.scenes = embeddedSceneSet();
    SDL_Window* window = openEditWindow(desc.api, error);
    if (!window) return EditEnd{true, ShowEnd::quit};
    app.window = window;
    app.windowOpened = secondsSinceExec();

    readMusicOrders();
    setMusicSilent(desc.silent);
    ShowDesc show = {};
    show.window = window;
    show.vsync = !desc.noVsync;
    show.antialias = !desc.noAntialias;
    show.music = true;
    show.api = desc.api;
    if (!showStart(app.dev, show)) {
        error = showError();
        return EditEnd{true, ShowEnd::quit};
    }
    app.started = secondsSinceExec();
    startPanels(window, desc.api);
    app.dev.presentRect = app.layout.frame; // the picture keeps its pixels; F1 hides only the panels
    app.dev.overlay = drawPanels;
    startShaderWatch(app.shaders, editSourceFolder(), app.dev);
    startDataWatch(app.data, editSourceFolder(), editBuildFolder());
    startValueEdits(valueEdits, editSourceFolder(), app.scenes);
    startKeyEdits(keyEdits, valueEdits);
    app.view.edits = &valueEdits;
    startLengthEdits(lengthEdits, app.scenes.scenes);
    app.view.lengths = &lengthEdits;
    loopCapture = LoopCapture{};
    loopCapture.output = -1;
    app.view.capture = &loopCapture;
    app.view.buildDir = editBuildFolder();
    startShowEnergy(musicEnergy, kMusicPath);
    app.view.shaders = &app.shaders;
    app.view.data = &app.data;
    app.view.scenes = &app.scenes;
    if (desc.sync && !startEditSync(error)) {
        stopShowEnergy(musicEnergy);
        stopDataWatch(app.data);
        stopPanels();
        closeMusic();
        return EditEnd{true, ShowEnd::quit};
    }
    if (app.shaders.changedAtStart) editChangeTaken(app.guard); // the tree's shaders, not the built ones
    app.view.gpuTimed = app.view.timerAvailable = startGpuPassTimer(app.dev, app.timer);
    app.fpsTicks = SDL_GetPerformanceCounter();
    app.watching = secondsSinceExec();

    const MainLoopHooks hooks = {&app, escapeHeld, musicPlaying, positionMs, takeEvent, drawFrame};
    const ShowEnd end = runMainLoop(hooks, false, app.scenes.scenes);
    if (desc.stats) printStats(end);
    printUnsavedEdits(valueEdits, stderr);
    stopLoopCapture(loopCapture);
    stopShowEnergy(musicEnergy);
    if (app.view.timerAvailable) stopGpuPassTimer(app.timer);
    stopEditSync();
    stopDataWatch(app.data);
    stopPanels();
    closeMusic();
    return EditEnd{false, end};
}
