// cmd_tracks.cpp - `tracks --rocket FILE`: the show's keyframe tracks as a sync editor's XML document,
// so a maker starts the editor from the show's own motion.
//
//     qz001-tool tracks --rocket show.rocket
//
// Every named track is three sync tracks, "<name>:x", ":y" and ":z", in hundredths. Each key lands on
// its nearest row of the music (7.2 frames; a key whose row a key before it took goes to the next
// free row), linear; a pair of keys a frame apart or on one frame (a hold, then a jump) becomes a
// step key and the key after it. A comment at the top says which keys moved to reach a row and by how
// many frames.
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstring>

#include "data/scene_data.h"
#include "director/tracks.h"
#include "tools/qz001-tool/tool.h"

namespace {

struct RowKey {
    int32_t row;
    int interpolation; // 0 step, 1 linear
};

// The rows and interpolations of one track's keys; false (with `why`) where they pass the last row.
bool placeKeys(const Track& track, RowKey* out, std::string& why) {
    int32_t previous = -1;
    for (uint32_t k = 0; k < track.keyCount; ++k) {
        const int32_t frame = track.keys[k].frame;
        int32_t row = (int32_t)std::lround(frame / 7.2);
        if (row <= previous) row = previous + 1;
        if (row >= kShowRowCount) {
            why = "key " + std::to_string(k) + " at frame " + std::to_string(frame) +
                  " finds no row before " + std::to_string(kShowRowCount);
            return false;
        }
        const bool holdThenJump = k + 1 < track.keyCount && track.keys[k + 1].frame - frame <= 1;
        out[k] = RowKey{row, holdThenJump ? 0 : 1};
        previous = row;
    }
    return true;
}

const char* trackName(int32_t t) {
    const char* name = enumName(trackNames, t);
    return name && std::strncmp(name, "kTrack", 6) == 0 && name[6] ? name + 6 : name;
}

// The shortest decimal that reads back as the same float.
std::string valueText(float v) {
    char text[32];
    if (v == std::trunc(v) && std::fabs(v) < 1e7f) {
        std::snprintf(text, sizeof text, "%d", (int)v);
        return text;
    }
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, (double)v);
        if (std::strtof(text, nullptr) == v) break;
    }
    return text;
}

bool writeRocket(FILE* f, const RowKey (*rows)[kKeysPerTrack], int32_t named) {
    std::fprintf(f, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n");
    std::fprintf(
        f, "<!-- The qz001 show's keyframe tracks, from qz001-tool tracks --rocket. A row is 7.2 frames.\n"
           "     Keys moved to reach a row (frame, row, by how many frames):\n");
    for (int32_t t = 0; t < named; ++t) {
        const Track& track = embeddedTracks[t];
        for (uint32_t k = 0; k < track.keyCount; ++k) {
            const double moved = rows[t][k].row * 7.2 - track.keys[k].frame;
            if (std::fabs(moved) < 1e-9) continue;
            const bool pushed = rows[t][k].row != (int32_t)std::lround(track.keys[k].frame / 7.2);
            std::fprintf(f, "     %s key %u: frame %d, row %d, by %+.1f frames%s\n", trackName(t), k,
                         track.keys[k].frame, rows[t][k].row, moved,
                         pushed ? " (its nearest row was taken)" : "");
        }
    }
    std::fprintf(f, "-->\n<sync rows=\"%d\">\n<tracks>\n", kShowRowCount);
    for (int32_t t = 0; t < named; ++t) {
        const Track& track = embeddedTracks[t];
        for (int c = 0; c < 3; ++c) {
            std::fprintf(f, "<track name=\"%s:%c\">\n", trackName(t), "xyz"[c]);
            for (uint32_t k = 0; k < track.keyCount; ++k) {
                const TrackKey& key = track.keys[k];
                const float value = c == 0 ? key.x : c == 1 ? key.y : key.z;
                std::fprintf(f, "<key row=\"%d\" value=\"%s\" interpolation=\"%d\"/>\n", rows[t][k].row,
                             valueText(value).c_str(), rows[t][k].interpolation);
            }
            std::fprintf(f, "</track>\n");
        }
    }
    std::fprintf(f, "</tracks>\n</sync>\n");
    return !std::ferror(f);
}

int runTracks(const std::string& path) {
    static RowKey rows[kTrackCount][kKeysPerTrack];
    const int32_t named = trackNames.last + 1;
    for (int32_t t = 0; t < named; ++t) {
        if (embeddedTracks[t].interpolation == 1)
            return toolError("track %d %s is a spline track: the sync editors have no such curve", t,
                             trackName(t));
        std::string why;
        if (!placeKeys(embeddedTracks[t], rows[t], why))
            return toolError("track %d %s: %s", t, trackName(t), why.c_str());
    }
    return writeToolFile(path, [&](FILE* f) { return writeRocket(f, rows, named); }) ? 0 : 1;
}

} // namespace

void addTracksCommands(CLI::App& app, ToolCommands& commands) {
    static std::string rocketPath;
    CLI::App* tracks = app.add_subcommand("tracks", "Write the show's keyframe tracks for a sync editor");
    tracks->add_option("--rocket", rocketPath, "the editor's XML document to write")->required();
    addToolCommand(commands, tracks, [] { return runTracks(rocketPath); });
}
