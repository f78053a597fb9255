// A GoogleTest fixture whose tests each run in a fresh scratch folder as the working directory,
// removed afterwards; file names stay short and relative.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace testsupport {

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvex-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(folder_.c_str()), 0);
    }
    void TearDown() override {
        ASSERT_EQ(chdir(previous_), 0);
        const std::string command = "rm -rf '" + folder_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    std::string folder_;
    char previous_[4096] = {};
};

}  // namespace testsupport
