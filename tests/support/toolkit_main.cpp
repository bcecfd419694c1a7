// Runs the tests inside a started toolkit, as a program would.
#include <gtest/gtest.h>

#include "tests/support/unix_tools.h"
#include "toolkit/toolkit.h"

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    tessel::testing::leave_out_unix_tool_tests();
    tessel::start_toolkit();
    const int result = RUN_ALL_TESTS();
    tessel::stop_toolkit();
    return result;
}
