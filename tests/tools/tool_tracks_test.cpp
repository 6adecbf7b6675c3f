// `qz001-tool tracks --rocket FILE`: the document read back gives every key of the show at its row.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "data/scene_data.h"
#include "tests/tools/tool_run.h"

namespace {

struct ReadKey {
    int row;
    float value;
    int interpolation;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(ToolTracks, RocketDocumentHoldsTheShowsKeysAtTheirRows) {
    const std::string path = tempPath("show.rocket");
    const ToolRun r = runTool("tracks --rocket " + path);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string doc = readFile(path);
    std::remove(path.c_str());
    ASSERT_NE(doc.find("<sync rows=\"1088\">"), std::string::npos);

    // The tracks in order, each with its keys.
    std::vector<std::string> names;
    std::vector<std::vector<ReadKey>> keys;
    const std::regex element(
        R"re(<track name="([^"]+)">|<key row="(\d+)" value="([^"]+)" interpolation="(\d)"/>)re");
    for (auto m = std::sregex_iterator(doc.begin(), doc.end(), element); m != std::sregex_iterator(); ++m) {
        if ((*m)[1].matched) {
            names.push_back((*m)[1]);
            keys.emplace_back();
        } else {
            ASSERT_FALSE(keys.empty());
            keys.back().push_back(
                ReadKey{std::stoi((*m)[2]), std::strtof((*m)[3].str().c_str(), nullptr), std::stoi((*m)[4])});
        }
    }
    // The comment's moves: "<name> key K: frame F, row R, by +D frames".
    std::map<std::string, double> moved;
    std::map<std::string, bool> pushed;
    const std::regex move(
        R"re((\w+) key (\d+): frame (-?\d+), row (\d+), by ([-+]\d+\.\d) frames( \(its nearest)?)re");
    for (auto m = std::sregex_iterator(doc.begin(), doc.end(), move); m != std::sregex_iterator(); ++m) {
        const std::string at = (*m)[1].str() + " " + (*m)[2].str();
        moved[at] = std::stod((*m)[5]);
        pushed[at] = (*m)[6].matched;
    }

    const int named = trackNames.last + 1;
    ASSERT_EQ((int)names.size(), 3 * named);
    for (int t = 0; t < named; ++t) {
        const Track& track = embeddedTracks[t];
        const std::string name = std::string(enumName(trackNames, t)).substr(6); // less "kTrack"
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE(name + " component " + std::to_string(c));
            EXPECT_EQ(names[3 * t + c], name + ":" + "xyz"[c]);
            const std::vector<ReadKey>& got = keys[3 * t + c];
            ASSERT_EQ(got.size(), track.keyCount);
            for (uint32_t k = 0; k < track.keyCount; ++k) {
                const TrackKey& key = track.keys[k];
                EXPECT_EQ(got[k].value, c == 0 ? key.x : c == 1 ? key.y : key.z) << "key " << k;
                const int nearest = (int)std::lround(key.frame / 7.2);
                const std::string at = name + " " + std::to_string(k);
                if (k > 0) {
                    EXPECT_GT(got[k].row, got[k - 1].row);
                }
                if (pushed[at]) {
                    EXPECT_EQ(got[k].row, got[k - 1].row + 1) << at; // the next free row
                    EXPECT_EQ(got[k - 1].row, nearest) << at;
                } else {
                    EXPECT_EQ(got[k].row, nearest) << at;
                }
                const double by = got[k].row * 7.2 - key.frame;
                if (std::fabs(by) > 1e-9) {
                    ASSERT_TRUE(moved.count(at)) << at << " moved but the comment does not say";
                    EXPECT_NEAR(moved[at], by, 0.051) << at;
                } else {
                    EXPECT_FALSE(moved.count(at)) << at;
                }
                const bool holdThenJump = k + 1 < track.keyCount && track.keys[k + 1].frame - key.frame <= 1;
                EXPECT_EQ(got[k].interpolation, holdThenJump ? 0 : 1) << at;
            }
        }
    }
    EXPECT_EQ(runTool("tracks --rocket /nonexistent-folder/x.rocket").status, 1);
    EXPECT_EQ(runTool("tracks").status, 2);
}

// The document through a real XML parser (libxml2's xmllint, as the editors' loaders parse it): well
// formed, one root element with the row count, every track and key where the loaders look for them.
TEST(ToolTracks, RocketDocumentIsWellFormedXml) {
    const std::string path = tempPath("xml.rocket");
    ASSERT_EQ(runTool("tracks --rocket " + path).status, 0);
    auto shell = [](const std::string& command) {
        FILE* pipe = popen((command + " 2>&1").c_str(), "r");
        std::string out;
        char buffer[4096];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        const int raw = pclose(pipe);
        return ToolRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
    };
    ASSERT_EQ(shell("command -v xmllint").status, 0)
        << "xmllint is not installed (tools/install-deps.sh installs libxml2-utils)";
    const ToolRun lint = shell("xmllint --noout " + path);
    EXPECT_EQ(lint.status, 0) << lint.out;
    EXPECT_EQ(lint.out, "");
    const int named = trackNames.last + 1;
    uint32_t keys = 0;
    for (int t = 0; t < named; ++t) keys += 3 * embeddedTracks[t].keyCount;
    EXPECT_EQ(shell("xmllint --xpath 'string(/sync/@rows)' " + path).out, "1088\n");
    EXPECT_EQ(shell("xmllint --xpath 'count(/sync/tracks/track)' " + path).out,
              std::to_string(3 * named) + "\n");
    EXPECT_EQ(shell("xmllint --xpath 'count(//track/key[@row and @value and @interpolation])' " + path).out,
              std::to_string(keys) + "\n");
    std::remove(path.c_str());
}
