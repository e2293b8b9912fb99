// The best score between runs: where it is kept, what counts as one, and a
// write that a crash cannot leave half done.

#include "support/TestFiles.h"

#include "app/BestScore.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

namespace {

class BestScoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeTestScratchDir("best_score");
        path = dir + "/morrowfen/best-score";
    }

    // Standard error while action runs.
    static std::string stderrOf(const std::function<void()>& action) {
        testing::internal::CaptureStderr();
        action();
        return testing::internal::GetCapturedStderr();
    }
    static size_t lines(const std::string& text) {
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    std::string read() const {
        auto bytes = readFile(path);
        return std::string(bytes.begin(), bytes.end());
    }

    std::string dir;
    std::string path;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) {
            saved = old;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { saved ? setenv(name, saved->c_str(), 1) : unsetenv(name); }

private:
    const char* name;
    std::optional<std::string> saved;
};

} // namespace

TEST_F(BestScoreTest, KeptInTheDataFolderOrUnderHome) {
    struct Case {
        const char* data;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {{"/d", "/h", "/d/morrowfen/best-score"},
                          {nullptr, "/h", "/h/.local/share/morrowfen/best-score"},
                          {"", "/h", "/h/.local/share/morrowfen/best-score"},
                          {"relative", "/h", "/h/.local/share/morrowfen/best-score"},
                          {nullptr, nullptr, ""},
                          {nullptr, "", ""}};
    for (const Case& c : cases) {
        ScopedEnv data("XDG_DATA_HOME", c.data);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(BestScore::defaultPath(), c.expected);
    }
}

TEST_F(BestScoreTest, WhatTheFileHoldsAndWhatItCountsFor) {
    struct Case {
        std::optional<std::string> file; // nullopt: no file
        int score;
        bool warns;
    };
    const Case cases[] = {{std::nullopt, 0, false},
                          {"42\n", 42, false},
                          {"2147483647", 2147483647, false},
                          {"", 0, true},
                          {"abc\n", 0, true},
                          {"-5\n", 0, true},
                          {"12x\n", 0, true},
                          {"2147483648\n", 0, true},
                          {"7\n\n", 0, true},
                          {std::string(100, '9'), 0, true},
                          {std::string("4\0"
                                       "2",
                                       3),
                           0, true}};
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir + "/morrowfen");
        if (c.file) {
            std::filesystem::create_directories(dir + "/morrowfen");
            writeFile(path, *c.file);
        }
        BestScore best(path);
        std::string err = stderrOf([&] { EXPECT_EQ(best.load(), c.score); });
        EXPECT_EQ(lines(err), c.warns ? 1u : 0u) << err;
        if (c.warns) {
            // A corrupt score is replaced by the next best.
            EXPECT_TRUE(best.offer(3));
            EXPECT_EQ(read(), "3\n");
        }
    }
}

TEST_F(BestScoreTest, WrittenOnlyWhenBeaten) {
    BestScore best(path);
    EXPECT_EQ(best.load(), 0);
    EXPECT_TRUE(best.offer(0));
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing beaten, nothing written";
    EXPECT_TRUE(best.offer(40));
    EXPECT_EQ(read(), "40\n");
    EXPECT_TRUE(best.offer(30));
    EXPECT_EQ(best.get(), 40);
    EXPECT_EQ(read(), "40\n");

    BestScore nextRun(path);
    EXPECT_EQ(nextRun.load(), 40);
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST_F(BestScoreTest, NowhereToKeepItIsSaidOnceAndPlayGoesOn) {
    // No home folder at all.
    BestScore homeless("");
    std::string err = stderrOf([&] {
        EXPECT_EQ(homeless.load(), 0);
        EXPECT_FALSE(homeless.offer(10));
        EXPECT_FALSE(homeless.offer(20));
    });
    EXPECT_EQ(lines(err), 1u) << err;
    EXPECT_EQ(homeless.get(), 20) << "the best of this run is still known";

    // A folder that cannot be written, whoever runs the tests: /proc takes no
    // new files even from root.
    BestScore locked("/proc/morrowfen/best-score");
    err = stderrOf([&] {
        EXPECT_EQ(locked.load(), 0);
        EXPECT_FALSE(locked.offer(10));
        EXPECT_FALSE(locked.offer(20));
    });
    EXPECT_EQ(lines(err), 1u) << err;
    EXPECT_NE(err.find("/proc/morrowfen/best-score"), std::string::npos) << err;
}

TEST_F(BestScoreTest, ACrashBeforeTheNewFileReplacesTheOldLeavesTheOldScore) {
    BestScore best(path);
    best.load();
    ASSERT_TRUE(best.offer(50));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        BestScore::beforeReplace = [] { _exit(7); };
        BestScore crashing(path);
        crashing.load();
        crashing.offer(90);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 7) << "the writer did not reach the replacement";
    EXPECT_EQ(read(), "50\n");
    BestScore after(path);
    EXPECT_EQ(after.load(), 50);
    // The next best is written over whatever the crash left behind.
    EXPECT_TRUE(after.offer(60));
    EXPECT_EQ(after.load(), 60);
}
