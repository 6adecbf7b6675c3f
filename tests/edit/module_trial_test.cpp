// module_trial_test.cpp - scene modules that abort, loop, hand over null tables, were built against
// other headers, fill the work arena or take seconds a frame are refused by their trial in a child
// process, with the reason named, while this process (the edit mode's) carries on with its data and
// nothing of theirs is left in the temporary folder. The real module passes.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "data/scene_data.h"
#include "director/director_state.h"
#include "edit/reload/data_reload.h"
#include "edit/reload/module_trial.h"
#include "show/show.h"

namespace {

namespace fs = std::filesystem;

std::vector<int> trialChildren; // every child a trial ran in

ModuleTrial runTrial(const std::string& path) {
    ModuleTrial trial = {};
    startModuleTrial(trial, path.c_str(), trySceneModule, removeModuleCopy);
    while (pollModuleTrial(trial) == kTrialRunning) usleep(20000);
    trialChildren.push_back(trial.lastChild);
    return trial;
}

// Module copies the trials' children left in the temporary folder (other tests may hold their own).
int leftCopies() {
    int n = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(), error))
        for (int child : trialChildren)
            n +=
                entry.path().filename().string().rfind("qz001-scenes-" + std::to_string(child) + "-", 0) == 0;
    return n;
}

} // namespace

TEST(ModuleTrial, EveryHostileModuleIsRefusedWithItsReasonAndThisProcessGoesOn) {
    showInit();
    showStartDirector();
    const std::string dir = testing::TempDir() + "qz_bad_modules_" + std::to_string(getpid());
    fs::create_directories(dir);
    struct Case {
        const char* define;
        const char* reason;
    } cases[] = {
        {"BAD_ABORT", "signal 6"},
        {"BAD_LOOP", "did not end within"},
        {"BAD_NULL_ENTRY", "returned no tables"},
        {"BAD_NULL_TABLE", "tracks are null"},
        {"BAD_LAYOUT", "laid out differently"},
        {"BAD_MEMORY", "work arena"},
        {"BAD_SLOW", "scene 0 frame 0"},
    };
    for (const Case& c : cases) {
        const std::string module = dir + "/" + c.define + ".so";
        const std::string command =
            std::string(QZ_CXX_COMPILER) +
            " -std=c++20 -shared -fPIC -O1 -DQZ_SCENE_COUNT=" + std::to_string(kSceneCount) +
            " -I" QZ_SOURCE_DIR " -D" + c.define +
            " -x c++ " QZ_SOURCE_DIR "/tests/edit/bad_module.cpp.in -o " + module;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const ModuleTrial trial = runTrial(module);
        EXPECT_EQ(trial.state, kTrialFailed) << c.define;
        EXPECT_NE(std::string(trial.message).find(c.reason), std::string::npos)
            << c.define << ": " << trial.message;
    }
    // The real module passes, and this process's own tables are untouched by all of it.
    EXPECT_EQ(runTrial(QZ_SCENE_MODULE_PATH).state, kTrialPassed);
    EXPECT_EQ(nodeBlocks[4][0].op, sceneTable.scenes[4].nodes[0].op);
    EXPECT_EQ(leftCopies(), 0);
    fs::remove_all(dir);
}
