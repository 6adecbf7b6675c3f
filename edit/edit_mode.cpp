// edit_mode.cpp - the edit mode's window, its keys, and its turn: the show's own turn (runShowTurn)
// with hooks that take the clock from the play head and draw the panels over the window before the swap.
#include "edit/edit_mode.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <imgui.h>

#include "audio/music.h"
#include "data/scene_data.h"
#include "director/director_state.h"
#include "edit/capture/loop_capture.h"
#include "edit/music/music_energy.h"
#include "edit/panels/edit_panels.h"
#include "edit/panels/graph_panel.h"
#include "edit/panels/outputs_panel.h"
#include "edit/panels/panel_input.h"
#include "edit/panels/panel_kit.h"
#include "edit/panels/slot_table_panel.h"
#include "edit/panels/structure_panel.h"
#include "edit/panels/timeline_panel.h"
#include "edit/panels/tracks_panel.h"
#include "edit/panels/transport_panel.h"
#include "edit/session/key_edit.h"
#include "edit/session/scene_length.h"
#include "edit/session/slot_text.h"
#include "edit/session/structure_edit.h"
#include "edit/session/value_edit.h"
#include "edit/sync/edit_sync.h"
#include "edit/transport/edit_frame.h"
#include "edit/transport/edit_keys.h"
#include "render/pass_timer.h"
#include "show/process_clock.h"
#include "show/show.h"

namespace {

struct EditApp {
    EditDesc desc;
    RenderDevice dev;
    EditState state;
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
    // What the panels show and keep from frame to frame.
    FrameRate rate;
    PassCosts costs;
    char slowFrame[768]; // a frame that took over kEditSlowFrameMs, and the file saved before it
    const float* energy; // the music's loudness at each show frame; null until measured
    int32_t sceneShown;  // the scene the inspector last showed (a new scene clears the selection)
    SlotHistory history;
    TypedField typed;
    TimelineState timeline;
    KeyPanelState keyPanel;
    GraphPanelState graph;
    StructureForm structureForm;
    bool graphRewired; // a wire was dropped in the graph: its panel says what came of it
    SDL_Window* window;
};

EditApp app;
EditSession session;     // the files as read, every write-back, the undo list (large: kept apart)
KeyEdits keyEdits;       // the tracks panel's keys, written back into data/tracks.cpp, in the same undo list
LengthEdits lengthEdits; // the scenes' lengths dragged on the timeline
LoopCapture loopCapture; // the "capture loop" button's child process
ShowEnergy musicEnergy;  // the music's loudness along the timeline

EditSync editSync; // the sync editor's connection, keys and last save (--sync)

//-----------------------------------------------------------------------------
// Keys
//-----------------------------------------------------------------------------

// Each step of the undo list writes its file back.
void pressKey(const SDL_Keysym& key, bool repeat) {
    const EditKeyAsk ask = editPressKey(app.state, app.scenes.scenes, key, repeat);
    if (ask == EditKeyAsk::toggledPause) app.slowFrame[0] = 0; // draw again, slow or not
    if (ask == EditKeyAsk::undo) undoEdit(session, app.scenes);
    if (ask == EditKeyAsk::redo) redoEdit(session, app.scenes);
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
    if (e.type == SDL_KEYDOWN && !ImGui::GetIO().WantTextInput) pressKey(e.key.keysym, e.key.repeat != 0);
    return LoopEvent::other;
}

// Takes saved scene data first, so the clock the turn computes reads the new scenes' lengths; the
// play head stays. Then carries out what the transport asked of the music and follows it.
uint32_t positionMs(void*) {
    if (pollDataWatch(app.data, app.scenes)) {
        takeRebuiltScenes(session, app.scenes);
        editFrameChanged(app.frame);
        editChangeTaken(app.guard);
        app.slowFrame[0] = 0;
    }
    takeEditedLengths(session, app.scenes); // a length dragged or undone: the clock reads it now
    pollLoopCapture(loopCapture);
    app.energy = readyShowEnergy(musicEnergy);
    editDriveMusic(app.state, EditMusic{musicPositionMs, seekMusic, pauseMusic});
    return (uint32_t)app.state.positionMs;
}

//-----------------------------------------------------------------------------
// The panels: each draws what it is given; what the maker asks of them is carried out here
//-----------------------------------------------------------------------------

void captureLoop() {
    CaptureCommand command = {};
    char error[256];
    if (!loopCaptureCommand(editBuildFolder(), app.state, command, error, sizeof error)) {
        std::snprintf(loopCapture.message, sizeof loopCapture.message, "%s", error);
        std::fprintf(stderr, "qz001: %s\n", loopCapture.message);
    } else {
        startLoopCapture(loopCapture, command);
    }
}

void transportWindow() {
    EditState& s = app.state;
    beginTransportWindow(app.layout);
    editMove(s, app.scenes.scenes, transportBar(s));
    positionLine(s, app.scenes, app.rate);
    const TimelineAsk ask = drawTimeline(
        TimelineInput{&app.scenes, &s, app.energy, &lengthEdits, &session, &loopCapture, &app.timeline});
    if (ask.seek) editSeekFrame(s, ask.frame);
    if (ask.length) editSceneLength(session, lengthEdits, app.scenes, ask.scene, ask.frames);
    if (ask.keepLaterScenes) {
        keepLaterScenesInPlace(session, lengthEdits, app.scenes);
        std::snprintf(app.timeline.said, sizeof app.timeline.said, "%s", session.message);
    }
    if (ask.captureLoop) captureLoop();
    if (passCosts(app.costs)) app.costs.gpuTimed = !app.costs.gpuTimed;
    keysHelpLine();
    syncLines(editSync);
    reloadLines(ReloadLines{&app.shaders, &app.data, app.slowFrame});
    ImGui::End();
}

// A slot added, deleted, rewired or written out, or a reader selected, as the inspector asked.
void carryStructure(const StructureAsk& ask, int scene) {
    switch (ask.kind) {
    case StructureAskKind::add:
        if (!addSlot(session, app.scenes, scene, ask.name, ask.node, ask.slot)) break;
        app.state.selectedSlot = slotNumber(*app.scenes.names[scene].slots, ask.name); // the new slot
        break;
    case StructureAskKind::remove:
        if (deleteSlot(session, app.scenes, scene, ask.slot)) app.state.selectedSlot = kNone;
        break;
    case StructureAskKind::rewire:
        rewireSlot(session, app.scenes, scene, ask.slot, ask.input, ask.from);
        break;
    case StructureAskKind::writeOut:
        writeOutSlot(session, app.scenes, scene, ask.slot);
        break;
    case StructureAskKind::select:
        app.state.selectedSlot = ask.slot;
        break;
    case StructureAskKind::none:
        break;
    }
}

void sceneWindow() {
    const int scene = demoClockAt(app.state.positionMs, app.scenes.scenes).sceneIndex;
    if (!beginSceneWindow(app.layout, scene, app.scenes.names[scene].name)) return;
    if (ImGui::BeginTabItem("Inspector")) {
        InspectorInput in = {&app.scenes, &session, &app.typed, &app.history, scene, app.state.selectedSlot};
        drawSelectedSlot(in);
        carryStructure(drawStructureEditor(StructureInput{&app.scenes, &session, &app.structureForm, scene,
                                                          app.state.selectedSlot}),
                       scene);
        in.selected = app.state.selectedSlot; // an added slot, a reader picked, none after a delete
        app.state.selectedSlot = drawSlotTable(in);
        ImGui::EndTabItem();
    }
    if (ImGui::BeginTabItem("Outputs")) {
        // The records' lines are wider than the panel: they scroll sideways rather than end at its edge.
        ImGui::BeginChild("outputs", ImVec2(0, 0), false, ImGuiWindowFlags_HorizontalScrollbar);
        drawOutputs();
        ImGui::EndChild();
        ImGui::EndTabItem();
    }
    if (ImGui::BeginTabItem("Tracks")) {
        const SyncTracks* sync = editSync.on ? &editSync.tracks : nullptr;
        drawTracks(TracksInput{&app.scenes, &session, sync, &app.keyPanel, scene});
        ImGui::EndTabItem();
    }
    if (ImGui::BeginTabItem("Graph")) {
        if (app.graphRewired && session.message[0]) { // what the last wire dropped did
            ImGui::PushStyleColor(ImGuiCol_Text,
                                  session.failed ? kFailedColour : ImGui::GetColorU32(ImGuiCol_TextDisabled));
            ImGui::TextWrapped("%s", session.message);
            ImGui::PopStyleColor();
        }
        const GraphAsk ask = drawGraph(GraphInput{&app.scenes, &app.graph, scene, app.state.selectedSlot});
        if (ask.select) app.state.selectedSlot = ask.slot, app.graphRewired = false;
        if (ask.rewire)
            rewireSlot(session, app.scenes, scene, ask.reader, ask.input, ask.from), app.graphRewired = true;
        ImGui::EndTabItem();
    }
    endSceneWindow();
}

void drawPanels(void*) {
    beginPanelFrame(app.input);
    if (!app.state.panelsHidden) {
        transportWindow();
        sceneWindow();
    }
    endPanelFrame(app.dev);
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
    PassCosts& c = app.costs;
    if (!c.gpuTimed) {
        if (!app.passTimes.runs[kPresentPass]) return; // the first frame timed this way is still to come
        for (int p = 0; p < kFramePassCount; ++p) c.passMs[p] = app.passTimes.seconds[p] * 1000.0;
        app.passTimes = FramePassTimes{};
    } else {
        for (int p = 0; p < kFramePassCount; ++p) c.passMs[p] = app.timer.milliseconds[p];
    }
    const uint64_t now = SDL_GetPerformanceCounter();
    const double seconds = (double)(now - app.fpsTicks) / (double)SDL_GetPerformanceFrequency();
    if (++app.fpsFrames >= 30 || seconds >= 1.0) {
        app.rate.fps = app.fpsFrames / seconds;
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
    std::snprintf(app.slowFrame, sizeof app.slowFrame,
                  "frame %d took %.1f s to draw (more than %.0f s): the play head stopped there and no "
                  "frame is drawn until a file is saved again or Space plays; %s",
                  clock.frame, app.rate.drawMs / 1000.0, kEditSlowFrameMs / 1000.0, saved);
    std::fprintf(stderr, "qz001: %s\n", app.slowFrame);
    if (!app.state.paused) editTogglePause(app.state);
}

// After each evaluation: a new scene clears the selection; the selected slot's value joins its plot.
void followScene(const DemoClock& clock) {
    if (clock.sceneIndex != app.sceneShown) {
        app.state.selectedSlot = -1;
        app.sceneShown = clock.sceneIndex;
    }
    recordSlotHistory(app.history, clock.sceneIndex, app.state.selectedSlot);
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
    if (pollEditSync(editSync, app.state, app.scenes, app.data.reloads, clock.frame))
        editFrameChanged(app.frame); // the editor's keys changed a track
    if (pollShaderWatch(app.shaders, app.dev)) {
        editFrameChanged(app.frame);
        editChangeTaken(app.guard);
        app.slowFrame[0] = 0; // a new change: the next frame's time speaks for it
    }
    if (session.liveChanges != app.liveChanges) { // a value dragged, typed, undone: draw it
        app.liveChanges = session.liveChanges;
        editFrameChanged(app.frame);
    }
    const uint64_t start = SDL_GetPerformanceCounter();
    // After a frame over the limit nothing new is drawn until a file changes or Space plays again:
    // the keys and the panels answer at once, the picture stays the last one drawn.
    const bool held = app.slowFrame[0] && !app.frame.stale;
    if (held || editPrepareFrame(app.frame, clock, app.scenes.scenes, app.dev) == kEditPresentAgain) {
        present(app.dev);
    } else {
        followScene(clock);
        FrameInput in = directorFrameInput();
        if (app.costs.gpuTimed)
            in.gpuTimer = &app.timer;
        else
            in.passTimes = &app.passTimes;
        renderFrame(app.dev, in);
        app.rate.drawMs =
            (double)(SDL_GetPerformanceCounter() - start) * 1000.0 / (double)SDL_GetPerformanceFrequency();
        if (editFrameTooSlow(app.guard, clock.sceneIndex, app.rate.drawMs, kEditSlowFrameMs))
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

SDL_Window* openEditWindow(GlApi api, char* error, size_t size) {
    requestGlAttributes(api);
    SDL_DisplayMode mode = {};
    const bool known = SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0;
    app.layout = editLayoutFor(known ? mode.w : kShowWidth, known ? mode.h : kShowHeight);
    SDL_Window* window =
        SDL_CreateWindow("qz001 --edit", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, app.layout.width,
                         app.layout.height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window) editFail(error, size, "cannot open the edit window: %s", SDL_GetError());
    return window;
}

void printStats(ShowEnd end) {
    const double seconds =
        (double)(SDL_GetPerformanceCounter() - app.firstTicks) / (double)SDL_GetPerformanceFrequency();
    std::fprintf(stderr, "qz001: edit mode ended by %s; %llu frames in %.1f s (%.1f fps), panels %s\n",
                 showEndName(end), (unsigned long long)app.frames, seconds,
                 app.frames > 1 && seconds > 0 ? (double)(app.frames - 1) / seconds : 0.0,
                 app.state.panelsHidden ? "hidden" : "shown");
}

// The watches, the edit session and its clients, the music's loudness, the sync editor.
bool startEditing(const EditDesc& desc, char* error, size_t size) {
    startShaderWatch(app.shaders, editSourceFolder(), app.dev);
    startDataWatch(app.data, editSourceFolder(), editBuildFolder());
    startEditSession(session, editSourceFolder(), app.scenes);
    startKeyEdits(keyEdits, session);
    startLengthEdits(lengthEdits, app.scenes.scenes);
    loopCapture = LoopCapture{};
    loopCapture.output = -1;
    app.keyPanel.snap = kSnapRows;
    startShowEnergy(musicEnergy, kMusicPath);
    const std::string tracks = std::string(editSourceFolder()) + "/data/tracks.cpp";
    if (desc.sync &&
        !startEditSync(editSync, app.scenes, tracks.c_str(), desc.syncHost, desc.syncPort, error, size)) {
        stopShowEnergy(musicEnergy);
        stopDataWatch(app.data);
        return false;
    }
    if (app.shaders.changedAtStart) editChangeTaken(app.guard); // the tree's shaders, not the built ones
    app.costs.gpuTimed = app.costs.timerAvailable = startGpuPassTimer(app.dev, app.timer);
    return true;
}

void stopEditing() {
    printUnsavedEdits(session, stderr);
    stopLoopCapture(loopCapture);
    stopShowEnergy(musicEnergy);
    if (app.costs.timerAvailable) stopGpuPassTimer(app.timer);
    stopEditSync(editSync);
    stopDataWatch(app.data);
}

} // namespace

EditEnd runEditMode(const EditDesc& desc, char* error, size_t size) {
    app = EditApp{};
    app.desc = desc;
    app.state = editStart(desc.startMs);
    app.scenes = embeddedSceneSet();
    SDL_Window* window = openEditWindow(desc.api, error, size);
    if (!window) return EditEnd{true, ShowEnd::quit};
    app.window = window;
    app.windowOpened = secondsSinceExec();

    readMusicOrders();
    setMusicSilent(desc.silent);
    ShowDesc show = {};
    show.window = window;
    show.noVsync = desc.noVsync;
    show.noAntialias = desc.noAntialias;
    show.music = true;
    show.api = desc.api;
    if (!showStart(app.dev, show)) {
        editFail(error, size, "%s", showError());
        return EditEnd{true, ShowEnd::quit};
    }
    app.started = secondsSinceExec();
    startEditPanels(window, app.dev);
    app.dev.presentRect = app.layout.frame; // the picture keeps its pixels; F1 hides only the panels
    app.dev.overlay = drawPanels;
    if (!startEditing(desc, error, size)) {
        stopEditPanels();
        closeMusic();
        return EditEnd{true, ShowEnd::quit};
    }
    app.fpsTicks = SDL_GetPerformanceCounter();
    app.watching = secondsSinceExec();

    const MainLoopHooks hooks = {&app, escapeHeld, musicPlaying, positionMs, takeEvent, drawFrame};
    const ShowEnd end = runMainLoop(hooks, false, app.scenes.scenes);
    if (desc.stats) printStats(end);
    stopEditing();
    stopEditPanels();
    closeMusic();
    return EditEnd{false, end};
}
