#include <gtest/gtest.h>

#ifdef _WIN32
#include "tests/support/unix_tools.h"

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    tessel::testing::leave_out_unix_tool_tests();
#else
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#endif
    return RUN_ALL_TESTS();
}
