// Runs the tests inside a started toolkit, as a program would.
#include <gtest/gtest.h>

#include "toolkit/toolkit.h"

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    tessel::start_toolkit();
    const int result = RUN_ALL_TESTS();
    tessel::stop_toolkit();
    return result;
}
