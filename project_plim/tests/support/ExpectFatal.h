#pragma once
// A statement ends the process through the fatal-error path (exit status 255)
// with a message holding text. The fatal path prints to standard output; death
// tests only see standard error.
#include "EngineTestFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#define EXPECT_FATAL(statement, text)                                                                        \
    EXPECT_EXIT(                                                                                             \
        {                                                                                                    \
            EngineTestFolder::routeStdoutToStderr();                                                         \
            statement;                                                                                       \
        },                                                                                                   \
        ::testing::ExitedWithCode(255), ::testing::HasSubstr(text))

// The same for a data fault (DataFault): status 1, one line naming the data.
#define EXPECT_DATA_FAULT(statement, text)                                                                   \
    EXPECT_EXIT(                                                                                             \
        {                                                                                                    \
            EngineTestFolder::routeStdoutToStderr();                                                         \
            statement;                                                                                       \
        },                                                                                                   \
        ::testing::ExitedWithCode(1), ::testing::HasSubstr(std::string("Corvana2demo cannot use its data: ") + text))
