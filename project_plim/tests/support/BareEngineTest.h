#pragma once
// A test fixture with a bare engine (fields and engine pointer, no parts),
// made before each test and deleted after it.
#include <gtest/gtest.h>

class Plim;

class BareEngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Plim* engine = nullptr;
};
