#pragma once
// The base of the whole-program tests: each is skipped where such runs cannot
// happen (no X server or no xdotool).
#include "ProgramPath.h"

#include <gtest/gtest.h>

#include <string>

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = ProgramPath::missing();
        if (!missing.empty()) GTEST_SKIP() << missing;
    }
};
