// command_line_test.cpp - qz001's options and its answers to bad ones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "director/director_types.h"

static CommandLineResult parse(std::vector<std::string> args, CommandLine& out, std::string& message) {
    args.insert(args.begin(), "qz001");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return parseCommandLine((int)argv.size(), argv.data(), out, message);
}

TEST(CommandLine, OptionsAndStartPositions) {
    CommandLine c;
    std::string message;
    ASSERT_EQ(parse({}, c, message), CommandLineResult::run);
    EXPECT_TRUE(c.launcher);
    EXPECT_EQ(c.startMs, 0);

    ASSERT_EQ(parse({"--no-launcher"}, c, message), CommandLineResult::run);
    EXPECT_FALSE(c.launcher);
    EXPECT_EQ(c.settings.start, 1u);
    EXPECT_EQ(c.settings.width, 1280);
    EXPECT_EQ(c.settings.height, 720);
    EXPECT_TRUE(c.settings.fullScreen && c.settings.vsync && c.settings.antialias && c.settings.music);

    ASSERT_EQ(parse({"--windowed", "--no-music"}, c, message), CommandLineResult::run);
    EXPECT_FALSE(c.launcher);
    EXPECT_FALSE(c.settings.fullScreen);
    EXPECT_FALSE(c.settings.music);
    EXPECT_TRUE(c.settings.vsync && c.settings.antialias);
    ASSERT_EQ(parse({"--no-vsync", "--no-aa"}, c, message), CommandLineResult::run);
    EXPECT_FALSE(c.settings.vsync || c.settings.antialias);

    // A scene starts at the first millisecond of its first frame: scene 1 at frame 900, scene 10 at 6910.
    ASSERT_EQ(parse({"--scene", "1"}, c, message), CommandLineResult::run);
    EXPECT_EQ(c.startMs, 14994);
    EXPECT_TRUE(c.launcher);
    ASSERT_EQ(parse({"--scene", "10", "--no-launcher"}, c, message), CommandLineResult::run);
    EXPECT_EQ(c.startMs, 115121);
    ASSERT_EQ(parse({"--at", "62.5"}, c, message), CommandLineResult::run);
    EXPECT_EQ(c.startMs, 62500);
    // The last frame (7831) runs to 130.481 s: every start up to there is in it; 130.482 is the end.
    ASSERT_EQ(parse({"--at", "130.481"}, c, message), CommandLineResult::run);
    EXPECT_EQ(c.startMs, 130481);
    EXPECT_EQ(parse({"--at", "130.4815"}, c, message), CommandLineResult::error); // 130482 ms
    EXPECT_NE(message.find("0 to 130.481 seconds"), std::string::npos) << message;
    EXPECT_EQ(parse({"--at", "130.482"}, c, message), CommandLineResult::error);
}

TEST(CommandLine, BadValuesSayWhatIsWrong) {
    CommandLine c;
    std::string message;
    const std::vector<std::vector<std::string>> bad = {
        {"--scene", "11"}, {"--scene", "-1"}, {"--scene", "two"}, {"--at", "131"},
        {"--at", "-2"},    {"--at", "soon"},  {"--fast"},         {"--scene", "1", "--at", "3"},
        {"extra"},         {"--at", "nan"},   {"--at", "inf"},    {"--at", "1e300"},
        {"--at", ""},      {"--at", " "},     {"--at", "3s"},     {"--edit", "--at", ""}};
    for (const auto& args : bad) {
        SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[1] : ""));
        message.clear();
        EXPECT_EQ(parse(args, c, message), CommandLineResult::error);
        EXPECT_FALSE(message.empty());
        EXPECT_EQ(message.find('\n'), std::string::npos); // one line
    }
    parse({"--scene", std::to_string(kSceneCount + 1).c_str()}, c, message);
    EXPECT_NE(message.find("0.." + std::to_string(kSceneCount - 1)), std::string::npos) << message;
}

// --scene is read as a whole decimal number, as every integer option of the show and the tool: a
// leading zero is no octal, and nothing but digits is a scene.
TEST(CommandLine, SceneIsReadAsWholeDecimal) {
    CommandLine ten, padded;
    std::string message;
    ASSERT_EQ(parse({"--scene", "10"}, ten, message), CommandLineResult::run) << message;
    ASSERT_EQ(parse({"--scene", "010"}, padded, message), CommandLineResult::run) << message;
    EXPECT_EQ(padded.startMs, ten.startMs);
    for (const char* bad : {"0x1", "", "1.0", " 1", "1 ", "+", "08k", "99999999999999999999", "-0x1"}) {
        SCOPED_TRACE(bad);
        CommandLine c;
        message.clear();
        EXPECT_EQ(parse({"--scene", bad}, c, message), CommandLineResult::error);
        const std::string shown = bad[0] ? bad : "\"\"";
        EXPECT_EQ(message.find("--scene " + shown + " is "), 0u) << message;
    }
}

TEST(CommandLine, SyncEditorAddress) {
    CommandLine c;
    std::string message;
    ASSERT_EQ(parse({"--edit"}, c, message), CommandLineResult::run) << message;
    EXPECT_FALSE(c.sync);
    ASSERT_EQ(parse({"--edit", "--sync"}, c, message), CommandLineResult::run) << message;
    EXPECT_TRUE(c.sync);
    EXPECT_EQ(c.syncHost, "127.0.0.1");
    EXPECT_EQ(c.syncPort, 1338);
    ASSERT_EQ(parse({"--sync", "--edit"}, c, message), CommandLineResult::run) << message; // not a value
    EXPECT_TRUE(c.sync && c.edit);
    ASSERT_EQ(parse({"--edit", "--sync", "localhost:4100"}, c, message), CommandLineResult::run) << message;
    EXPECT_EQ(c.syncHost, "localhost");
    EXPECT_EQ(c.syncPort, 4100);
    EXPECT_EQ(parse({"--sync"}, c, message), CommandLineResult::error);
    EXPECT_EQ(message, "--sync works with --edit only (the player is not driven from outside)");
    EXPECT_EQ(parse({"--edit", "--sync", "host:99999"}, c, message), CommandLineResult::error);
    EXPECT_EQ(message, "--sync host:99999: the port 99999 is outside 1..65535");
}
