// data_reload_test.cpp - the scene module as the edit mode loads it: it holds the tables built into
// the program, loading and swapping it in a hundred times reuses the arena's scene region and leaves
// the resident memory where it was, and data the director could not play is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "base/arena.h"
#include "data/scene_data.h"
#include "director/director_state.h"
#include "edit/reload/data_reload.h"
#include "show/show.h"

namespace {

// Resident memory in pages, from /proc/self/statm.
long residentPages() {
    long size = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &size, &resident) != 2) resident = 0;
    std::fclose(f);
    return resident;
}

} // namespace

TEST(DataReload, TheModuleHoldsTheBuiltInTablesAndReloadsInBoundedMemory) {
    showInit();
    showStartDirector();
    const uint32_t sceneDataEnd = arenaMark();
    char error[1024] = "";
    SceneModuleHandle handle = {};
    SceneSet set = {};
    ASSERT_TRUE(loadSceneModule(QZ_SCENE_MODULE_PATH, 0, handle, set, error, sizeof error)) << error;
    for (int s = 0; s < kSceneCount; ++s) {
        EXPECT_EQ(set.scenes.scenes[s].duration, sceneTable.scenes[s].duration);
        EXPECT_EQ(std::memcmp(set.scenes.scenes[s].nodes, sceneTable.scenes[s].nodes,
                              kSlotsPerScene * sizeof(NodeSource)),
                  0)
            << "scene " << s;
        EXPECT_STREQ(set.names[s].name, sceneNames[s].name);
    }
    EXPECT_EQ(std::memcmp(set.tracks, embeddedTracks, sizeof(Track) * kTrackCount), 0);
    unloadSceneModule(handle);

    long before = 0;
    for (uint32_t round = 1; round <= 100; ++round) {
        SceneModuleHandle next = {};
        ASSERT_TRUE(loadSceneModule(QZ_SCENE_MODULE_PATH, round, next, set, error, sizeof error)) << error;
        ASSERT_TRUE(replaceSceneData(set.scenes, set.tracks)) << showError();
        unloadSceneModule(handle);
        handle = next;
        ASSERT_EQ(arenaMark(), sceneDataEnd) << "round " << round; // the same region, reused
        if (round == 10) before = residentPages();                 // after the first loads settle
    }
    const long after = residentPages();
    std::printf("resident pages after 10 reloads %ld, after 100 %ld\n", before, after);
    EXPECT_LE(after, before + before / 10) << "resident pages " << before << " -> " << after;
    char copy[sizeof handle.path];
    std::memcpy(copy, handle.path, sizeof copy);
    ASSERT_NE(copy[0], 0);
    FILE* present = std::fopen(copy, "r");
    EXPECT_NE(present, nullptr);
    if (present) std::fclose(present);
    unloadSceneModule(handle);
    EXPECT_EQ(std::fopen(copy, "r"), nullptr); // the copy is removed with the module

    // Data the director could not play is refused, naming what is wrong.
    static NodeSource bad[kSlotsPerScene];
    std::memcpy(bad, sceneTable.scenes[4].nodes, sizeof bad);
    bad[7].inputs[1] = 300;
    SceneSet broken = embeddedSceneSet();
    broken.scenes.scenes[4].nodes = bad;
    EXPECT_FALSE(checkSceneSet(broken, error, sizeof error));
    EXPECT_NE(std::strstr(error, "scene 4 slot 7 reads slot 300"), nullptr) << error;
    broken = embeddedSceneSet();
    broken.scenes.scenes[2].duration = 0;
    EXPECT_FALSE(checkSceneSet(broken, error, sizeof error));
    EXPECT_TRUE(checkSceneSet(embeddedSceneSet(), error, sizeof error)) << error;
    broken = embeddedSceneSet();
    broken.scenes.scenes[3].nodes = nullptr;
    EXPECT_FALSE(checkSceneSet(broken, error, sizeof error));
    EXPECT_STREQ(error, "scene 3 has no node table (nodes is null)");

    // A huge scene replaced by the show's own gives its memory back.
    static NodeSource huge[kSlotsPerScene];
    for (int k = 0; k < 100; ++k)
        huge[k] = NodeSource{kOpConstant, {-1, -1, -1, -1, -1, -1, -1, -1}, {1}, 65536};
    SceneSet big = embeddedSceneSet();
    big.scenes.scenes[5].nodes = huge;
    const long small = residentPages();
    ASSERT_TRUE(replaceSceneData(big.scenes, big.tracks)) << showError();
    for (int k = 0; k < 100; ++k) // as its evaluations would: every element written
        std::memset(valueBlocks[5][k].data, 1, sizeof(Float4) * valueBlocks[5][k].count);
    const long peak = residentPages();
    ASSERT_TRUE(replaceSceneData(sceneTable, embeddedTracks)) << showError();
    const long back = residentPages();
    std::printf("resident pages with the show's scenes %ld, a huge scene %ld, replaced %ld\n", small, peak,
                back);
    EXPECT_GT(peak, small + 20000); // 100 MiB of values in 4 KiB pages
    EXPECT_LT(back, small + 2000);
}

// The edit mode builds what it watches: a build folder of other sources, or one copied from elsewhere
// (cmake refuses to build there, with status 0), is refused with a message rather than reloading stale data.
TEST(DataReload, ABuildOfOtherSourcesOrACopiedBuildIsRefused) {
    const std::string root = testing::TempDir() + "qz_pairing_" + std::to_string(getpid());
    std::filesystem::create_directories(root + "/other/data");
    std::filesystem::create_directories(root + "/copied");
    std::filesystem::copy_file(std::string(QZ_BUILD_ROOT) + "/CMakeCache.txt",
                               root + "/copied/CMakeCache.txt");
    DataWatch watch = {};
    EXPECT_FALSE(startDataWatch(watch, (root + "/other").c_str(), QZ_BUILD_ROOT));
    EXPECT_NE(std::strstr(watch.message, "builds the sources in"), nullptr) << watch.message;
    stopDataWatch(watch);
    EXPECT_FALSE(startDataWatch(watch, QZ_SOURCE_DIR, (root + "/copied").c_str()));
    EXPECT_NE(std::strstr(watch.message, "was made in"), nullptr) << watch.message;
    stopDataWatch(watch);
    std::filesystem::remove_all(root);
}
