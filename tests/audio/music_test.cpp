// music_test.cpp - the committed module through the music layer: its length, the clock under SDL's
// dummy driver, and the spectrum of known signals.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <libopenmpt/libopenmpt.h>
#include <thread>
#include <vector>

#include "audio/frequency_bins.h"
#include "audio/music.h"
#include "audio/offline_music.h"
#include "audio/sample_history.h"

TEST(Music, DurationIsWhatTheModuleRendersTo) {
    char error[512];
    openmpt_module* mod = loadModuleFile(QZ_MUSIC_FILE, error, sizeof error);
    ASSERT_NE(mod, nullptr) << error;
    // Render the whole module once and count its frames: an independent measure of its length.
    std::vector<float> buffer(2 * 4096);
    uint64_t frames = 0;
    while (size_t n =
               openmpt_module_read_interleaved_float_stereo(mod, kMusicSampleRate, 4096, buffer.data()))
        frames += n;
    freeModule(mod);
    const double rendered = (double)frames / kMusicSampleRate;
    ASSERT_TRUE(openMusic(QZ_MUSIC_FILE, 0)) << musicError();
    EXPECT_NEAR(musicDurationMs() / 1000.0, rendered, 0.1);
    EXPECT_GE(musicDurationMs(), 130482u); // the show's last frame still has music under it
}

TEST(Music, ClockRunsInRealTimeUnderTheDummyDriver) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(openMusic(QZ_MUSIC_FILE, 0)) << musicError();
    EXPECT_EQ(musicPositionMs(), 0u); // not started yet
    ASSERT_TRUE(startMusic()) << musicError();
    EXPECT_STREQ(musicDriver(), "dummy");
    const auto start = std::chrono::steady_clock::now();
    uint32_t last = 0;
    double worst = 0;
    for (;;) {
        const uint32_t ms = musicPositionMs();
        const double elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        EXPECT_GE(ms, last);
        last = ms;
        worst = std::max(worst, std::fabs(ms - elapsed));
        EXPECT_TRUE(musicIsPlaying());
        if (elapsed > 2000) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
    }
    EXPECT_LT(worst, 50.0);
    EXPECT_GE(last, 1950u);

    // The live spectrum is the music's at the position (the dummy driver plays nothing itself): the
    // same energy as the offline render there, within what a few samples of offset change.
    float live[512], offline[512];
    ASSERT_TRUE(queryMusicSpectrum(nullptr, live, 512));
    const uint32_t at = musicPositionMs();
    OfflineMusic music;
    std::string error;
    ASSERT_TRUE(renderOfflineMusic(QZ_MUSIC_FILE, (int32_t)at + 10, music, error)) << error;
    advanceOfflineMusic(music, offlineFrameOf((int32_t)at));
    ASSERT_TRUE(queryOfflineSpectrum(&music, offline, 512));
    double liveSum = 0, offlineSum = 0;
    for (int k = 0; k < 512; ++k) liveSum += live[k], offlineSum += offline[k];
    EXPECT_GT(offlineSum, 0.01);
    EXPECT_NEAR(liveSum, offlineSum, 0.25 * offlineSum);
    closeMusic();
    EXPECT_FALSE(musicIsPlaying());
    EXPECT_EQ(musicPositionMs(), 0u);
}

// A full-scale sine in the middle of bin k reads about 1 there and peaks there, at every size.
TEST(Music, SpectrumOfASinePeaksInItsBin) {
    for (uint32_t bins : {64u, 128u, 256u, 512u}) {
        for (uint32_t k : {3u, bins / 4, bins - 5}) {
            SCOPED_TRACE(::testing::Message() << bins << " bins, bin " << k);
            std::vector<float> samples(2 * bins);
            for (uint32_t i = 0; i < 2 * bins; ++i)
                samples[i] = (float)std::sin(2 * M_PI * k * i / (2.0 * bins));
            std::vector<float> out(bins);
            ASSERT_TRUE(spectrumOf(samples.data(), bins, out.data()));
            uint32_t peak = 0;
            for (uint32_t i = 1; i < bins; ++i)
                if (out[i] > out[peak]) peak = i;
            EXPECT_EQ(peak, k);
            EXPECT_NEAR(out[k], 1.0f, 0.02f);
            EXPECT_LT(out[k + 3], 0.01f); // the window keeps the energy near its bin
            EXPECT_LT(out[k - 3], 0.01f);
        }
    }
    std::vector<float> silence(1024, 0.0f), out(512, 1.0f);
    ASSERT_TRUE(spectrumOf(silence.data(), 512, out.data()));
    for (float v : out) EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(spectrumOf(silence.data(), 100, out.data())); // not a size the nodes ask for
}

TEST(Music, MissingAndBrokenFilesAreNamed) {
    char* base = SDL_GetBasePath();
    std::string folder = base;
    SDL_free(base);
    folder.pop_back(); // its last separator
    // From a working directory that is not the program's folder (ctest starts it in its own), both
    // places are looked in and named.
    const std::filesystem::path started = std::filesystem::current_path();
    const std::filesystem::path elsewhere = std::filesystem::temp_directory_path();
    std::filesystem::current_path(elsewhere);
    const std::string here = std::filesystem::current_path().string(); // as the program reads it
    EXPECT_FALSE(openMusic("no/such/module.xm", 0));
    std::filesystem::current_path(started);
    EXPECT_NE(std::string(musicError())
                  .find("no/such/module.xm (looked for in the working directory " + here +
                        " and beside the program in " + folder + ")"),
              std::string::npos)
        << musicError();
    // A relative path missing from the working directory is found beside the program.
    const std::filesystem::path beside = folder + "/qz-beside-test.xm";
    std::filesystem::copy_file(QZ_MUSIC_FILE, beside, std::filesystem::copy_options::overwrite_existing);
    const bool found = openMusic("qz-beside-test.xm", 0);
    std::filesystem::remove(beside);
    EXPECT_TRUE(found) << musicError();
    // A folder in the file's place is named as one before it is opened.
    EXPECT_FALSE(openMusic(folder.c_str(), 0));
    EXPECT_NE(std::string(musicError()).find("it is a folder, not a module file"), std::string::npos)
        << musicError();
    EXPECT_FALSE(openMusic(QZ_SOURCE_FILE, 0)); // a C++ file is not a module
    EXPECT_NE(std::string(musicError()).find("cannot load the music file"), std::string::npos)
        << musicError();
}

// The capture's spectrum at a frame is the live source's: the same 2 x N left-channel samples before the
// position, whether they arrived in device-sized buffers or all at once.
TEST(Music, OfflineSpectrumMatchesTheLiveHistoryAndTheSamplesBeforeTheFrame) {
    OfflineMusic offline;
    std::string error;
    ASSERT_TRUE(renderOfflineMusic(QZ_MUSIC_FILE, 30000, offline, error)) << error;
    ASSERT_EQ(offline.stereo.size(), 2u * 30000 * 48);
    static SampleHistory live; // as the audio callback feeds it: 1024 frames at a time
    uint64_t fed = 0;
    for (int32_t frame : {0, 1, 900, 1380, 1400, 1401, 1790}) {
        SCOPED_TRACE(frame);
        const uint64_t at = offlineFrameAtShowFrame(frame);
        advanceOfflineMusic(offline, at);
        while (fed < at) {
            const uint32_t n = (uint32_t)std::min<uint64_t>(1024, at - fed);
            historyWrite(live, offline.stereo.data() + 2 * fed, n);
            fed += n;
        }
        for (uint32_t bins : {64u, 512u}) {
            float fromOffline[512], fromLive[512], expected[512];
            ASSERT_TRUE(queryOfflineSpectrum(&offline, fromOffline, bins));
            ASSERT_TRUE(historySpectrum(live, fed, bins, fromLive));
            std::vector<float> left(2 * bins, 0.0f); // silence before the start
            for (uint32_t i = 0; i < 2 * bins; ++i) {
                const int64_t s = (int64_t)at - 2 * bins + i;
                if (s >= 0) left[i] = offline.stereo[2 * s];
            }
            ASSERT_TRUE(spectrumOf(left.data(), bins, expected));
            for (uint32_t k = 0; k < bins; ++k) {
                ASSERT_EQ(fromOffline[k], expected[k]) << k;
                ASSERT_EQ(fromLive[k], expected[k]) << k;
            }
        }
    }
    EXPECT_EQ(offlineFrameAtShowFrame(900), 719712u); // 900 x 16.66 ms at 48 kHz
}

// The edit mode's two questions of the music: where a seek lands (the clock and the spectrum both at
// the new place at once), and which order and row a position lies in (against libopenmpt's own answer
// for the start of every row).
TEST(Music, SeekMovesTheClockAndTheSpectrumAndRowsAreTheModules) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(openMusic(QZ_MUSIC_FILE, 0)) << musicError();
    readMusicOrders();
    ASSERT_TRUE(startMusic()) << musicError();
    seekMusic(60000);
    EXPECT_NEAR((double)musicPositionMs(), 60000.0, 5.0);
    float live[512], offline[512];
    ASSERT_TRUE(queryMusicSpectrum(nullptr, live, 512));
    OfflineMusic music;
    std::string error;
    ASSERT_TRUE(renderOfflineMusic(QZ_MUSIC_FILE, 60010, music, error)) << error;
    advanceOfflineMusic(music, offlineFrameOf(60000));
    ASSERT_TRUE(queryOfflineSpectrum(&music, offline, 512));
    double liveSum = 0, offlineSum = 0;
    for (int k = 0; k < 512; ++k) liveSum += live[k], offlineSum += offline[k];
    EXPECT_GT(offlineSum, 0.01);
    EXPECT_NEAR(liveSum, offlineSum, 0.1 * offlineSum);
    seekMusic(1000); // back again: the clock follows, it does not keep the later position
    EXPECT_NEAR((double)musicPositionMs(), 1000.0, 5.0);

    char text[512];
    openmpt_module* mod = loadModuleFile(QZ_MUSIC_FILE, text, sizeof text);
    ASSERT_NE(mod, nullptr) << text;
    ASSERT_GT(musicOrderCount(), 10);
    int checked = 0;
    for (int32_t order = 0; order < musicOrderCount(); ++order) {
        const int32_t pattern = openmpt_module_get_order_pattern(mod, order);
        const int32_t rows = openmpt_module_get_pattern_num_rows(mod, pattern);
        for (int32_t row = 0; row < rows; row += 5) {
            const double at = openmpt_module_set_position_order_row(mod, order, row);
            MusicRow got = {};
            ASSERT_TRUE(musicRowAt((int32_t)(at * 1000.0) + 30, got)) << order << ":" << row;
            ASSERT_EQ(got.order, order);
            ASSERT_EQ(got.pattern, pattern);
            ASSERT_EQ(got.row, row) << "order " << order;
            ++checked;
        }
    }
    freeModule(mod);
    EXPECT_GT(checked, 100);
    MusicRow none = {};
    EXPECT_FALSE(musicRowAt((int32_t)musicDurationMs() + 10, none));
    closeMusic();
    EXPECT_EQ(musicOrderCount(), 0);
}
