// cmd_tracks.cpp - `tracks --rocket FILE`: the show's keyframe tracks as a sync editor's XML document,
// so a maker starts the editor from the show's own motion.
//
//     qz001-tool tracks --rocket show.rocket
//
// Every named track is three sync tracks, "<name>:x", ":y" and ":z", in hundredths, each key on a row
// as director/sync_rows.h places it. A comment at the top says which keys moved to reach a row and by how
// many frames. The document is plain XML 1.0 as the editors' loaders read it: a root element with the
// row count, <track name> elements holding <key row value interpolation/> elements, and nothing in the
// comment that XML forbids there (no "--").
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstring>

#include "base/decimal_text.h"
#include "data/scene_data.h"
#include "director/sync_rows.h"
#include "director/tracks.h"
#include "tools/qz001-tool/tool.h"

namespace {

const char* trackName(int32_t t) {
    const char* name = enumName(trackNames, t);
    return name && std::strncmp(name, "kTrack", 6) == 0 && name[6] ? name + 6 : name;
}

std::string valueText(float v) {
    char text[32];
    writeShortestFloat(v, text, sizeof text);
    return text;
}

bool writeRocket(FILE* f, const SyncRowKey (*rows)[kKeysPerTrack], int32_t named) {
    std::fprintf(f, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n");
    std::fprintf(f, "<!-- The qz001 show's keyframe tracks, written by qz001-tool's tracks command. A row is "
                    "7.2 frames.\n"
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
                             valueText(value).c_str(), (int)rows[t][k].interpolation);
            }
            std::fprintf(f, "</track>\n");
        }
    }
    std::fprintf(f, "</tracks>\n</sync>\n");
    return !std::ferror(f);
}

int runTracks(const std::string& path) {
    static SyncRowKey rows[kTrackCount][kKeysPerTrack];
    const int32_t named = trackNames.last + 1;
    for (int32_t t = 0; t < named; ++t) {
        if (embeddedTracks[t].interpolation == 1)
            return toolError("track %d %s is a spline track: the sync editors have no such curve", t,
                             trackName(t));
        const int32_t k = placeSyncRows(embeddedTracks[t], rows[t]);
        if (k >= 0)
            return toolError("track %d %s: key %d at frame %d finds no row before %d", t, trackName(t), k,
                             embeddedTracks[t].keys[k].frame, kShowRowCount);
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
