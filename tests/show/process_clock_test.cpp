// process_clock_test.cpp - the process's age counts from its start, not from main: a child that a
// shell holds back 0.3 s before it execs this test program reports at least that age from its main.
#include "show/process_clock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

TEST(ProcessClock, CountsFromTheProcessStartNotFromMain) {
    if (std::getenv("QZ_PRINT_PROCESS_AGE")) { // the child's part
        std::printf("age %.6f origin %s\n", secondsSinceExec(), processClockOrigin());
        return;
    }
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(length, 0);
    self[length] = '\0';
    const std::string command = std::string("sleep 0.3 && QZ_PRINT_PROCESS_AGE=1 exec '") + self +
                                "' --gtest_filter=ProcessClock.CountsFromTheProcessStartNotFromMain";
    const auto started = std::chrono::steady_clock::now();
    FILE* child = popen(command.c_str(), "r"); // the shell's process becomes the test program
    ASSERT_NE(child, nullptr);
    double age = -1.0;
    char origin[32] = "";
    char line[512];
    while (std::fgets(line, sizeof line, child))
        if (std::sscanf(line, "age %lf origin %31s", &age, origin) == 2) break;
    while (std::fgets(line, sizeof line, child)) {
    }
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(pclose(child), 0);
    EXPECT_STREQ(origin, "exec");
    EXPECT_GE(age, 0.3); // the shell's sleep came before main
    // No older than the time since the fork (the start is rounded down to a clock tick, 10 ms).
    EXPECT_LE(age, waited + 0.011);

    // Within this process, the age advances with the steady clock.
    const double before = secondsSinceExec();
    const auto now = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - now < std::chrono::milliseconds(20)) {
    }
    const double after = secondsSinceExec();
    EXPECT_GE(after - before, 0.019);
    EXPECT_GT(before, 0.0);
}
