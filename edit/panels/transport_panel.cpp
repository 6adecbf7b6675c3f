// transport_panel.cpp - the transport window's lines, in the order they sit on screen.
#include "edit/panels/transport_panel.h"

#include <cstdio>
#include <imgui.h>

#include "audio/music.h"
#include "director/demo_clock.h"
#include "edit/panels/panel_kit.h"
#include "render/frame_passes.h"

namespace {

struct MoveButton {
    const char* label;
    EditMove move;
};

// The buttons left to right; the play button's label says what it does.
constexpr MoveButton kMoveButtons[] = {
    {"|<", EditMove::toStart},     {"<<", EditMove::sceneBack},     {"bar-", EditMove::barBack},
    {"beat-", EditMove::beatBack}, {"frame-", EditMove::frameBack}, {nullptr, EditMove::playPause},
    {"frame+", EditMove::frameOn}, {"beat+", EditMove::beatOn},     {"bar+", EditMove::barOn},
    {">>", EditMove::sceneOn},     {">|", EditMove::toEnd},
};

} // namespace

EditMove transportBar(const EditState& s) {
    EditMove asked = EditMove::none;
    for (const MoveButton& b : kMoveButtons) {
        if (b.move != EditMove::toStart) ImGui::SameLine();
        const bool pressed =
            b.label ? ImGui::Button(b.label) : ImGui::Button(s.paused ? "Play" : "Pause", ImVec2(60, 0));
        if (pressed) asked = b.move;
    }
    ImGui::SameLine();
    ImGui::TextUnformatted(" ");
    ImGui::SameLine();
    if (ImGui::Button(s.looping ? "Loop off" : "Loop scene")) asked = EditMove::loop;
    ImGui::SameLine();
    if (ImGui::Button("In")) asked = EditMove::markIn;
    ImGui::SameLine();
    if (ImGui::Button("Out")) asked = EditMove::markOut;
    return asked;
}

void positionLine(const EditState& s, const SceneSet& scenes, FrameRate rate) {
    const DemoClock clock = demoClockAt(s.positionMs, scenes.scenes);
    const int32_t ms = s.positionMs;
    int32_t bar = 0, beat = 0;
    editBarBeat(s, bar, beat);
    MusicRow row = {};
    const bool inModule = musicRowAt(ms, row);
    ImGui::Text("%d:%02d.%03d   frame %d   scene %d \"%s\" frame %d/%d", ms / 60000, ms / 1000 % 60,
                ms % 1000, clock.frame, clock.sceneIndex, scenes.names[clock.sceneIndex].name,
                clock.localFrame, clock.sceneEndFrame - (clock.frame - clock.localFrame));
    char text[96];
    editFrameRateText(text, sizeof text, s.paused, rate.fps, rate.drawMs);
    if (inModule)
        ImGui::Text("order %d   pattern %d   row %d   bar %d:%d   %s%s%s", row.order, row.pattern, row.row,
                    bar, beat, text, s.looping ? "   looping" : "",
                    s.looping && s.marksSwapped ? " (out was before in: swapped)" : "");
    else
        ImGui::Text("bar %d:%d   %s", bar, beat, text);
}

bool passCosts(const PassCosts& c) {
    double total = 0;
    for (double ms : c.passMs) total += ms;
    ImGui::Text("cost per pass (%s): %.2f ms", c.gpuTimed ? "GPU timer queries" : "glFinish after each pass",
                total);
    bool switched = false;
    if (c.timerAvailable) {
        bool finish = !c.gpuTimed;
        ImGui::SameLine();
        switched = ImGui::Checkbox("measure with glFinish", &finish);
    }
    for (int p = 0; p < kFramePassCount; ++p) {
        if (p % 5) ImGui::SameLine();
        ImGui::Text("  %-14s %6.2f", framePassName(p), c.passMs[p]);
    }
    return switched;
}

void syncLines(const EditSync& sync) {
    if (!sync.on) return;
    int driven = 0;
    for (int32_t t = 0; t < kTrackCount; ++t)
        for (int c = 0; c < 3; ++c) driven += syncDriver(sync.tracks, t, c) != nullptr;
    ImGui::TextDisabled("Sync: %s; the editor drives %d track components", sync.client.status, driven);
    if (!sync.saves) return;
    if (!sync.save.ok) ImGui::PushStyleColor(ImGuiCol_Text, kFailedColour);
    ImGui::TextWrapped("Sync save %u: %s", sync.saves, sync.save.note);
    if (!sync.save.ok) ImGui::PopStyleColor();
    if (sync.reloadedDifference >= 0)
        ImGui::TextDisabled("The saved tracks play since the reload; largest difference from the live curve "
                            "%.4f hundredths",
                            (double)sync.reloadedDifference);
}

void reloadLines(const ReloadLines& r) {
    const char* failures[3] = {};
    int failed = 0;
    if (r.slowFrame[0]) failures[failed++] = r.slowFrame;
    if (r.shaders->failed) failures[failed++] = r.shaders->message;
    if (r.data->failed) failures[failed++] = r.data->message;
    char line[sizeof r.data->message + 128];
    if (!r.shaders->failed) {
        editReloadText(line, sizeof line, r.shaders->message, r.shaders->reloads, r.shaders->clock);
        ImGui::TextDisabled("%s", line);
    }
    if (!r.data->failed) {
        editReloadText(line, sizeof line, r.data->message, r.data->reloads, r.data->clock);
        ImGui::TextDisabled("%s", line);
    }
    if (!failed) return;
    ImGui::PushStyleColor(ImGuiCol_Text, kFailedColour);
    ImGui::BeginChild("reload error", ImVec2(0, 0), true);
    for (int i = 0; i < failed; ++i) ImGui::TextWrapped("%s", failures[i]);
    ImGui::EndChild();
    ImGui::PopStyleColor();
}

void editFrameRateText(char* text, size_t size, bool paused, double fps, double drawMs) {
    if (drawMs <= 0)
        std::snprintf(text, size, "%s, no frame drawn yet", paused ? "paused" : "playing");
    else if (paused)
        std::snprintf(text, size, "paused (the frame shown took %.0f ms to draw)", drawMs);
    else
        std::snprintf(text, size, "playing at %.1f fps (the last frame took %.0f ms to draw)", fps, drawMs);
}

void editReloadText(char* text, size_t size, const char* message, uint32_t reloads, const SaveClock& clock) {
    if (!reloads)
        std::snprintf(text, size, "%s (no save taken since the start)", message);
    else if (clock.latencyKnown)
        std::snprintf(text, size, "%s (%u saves taken; the last on screen %.0f ms after its save)", message,
                      reloads, clock.latencyMs);
    else
        std::snprintf(text, size, "%s (%u saves taken; the last one's time of saving is not known)", message,
                      reloads);
}
