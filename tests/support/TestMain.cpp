// The tests' entry point. Standard output is switched to binary mode so that the test
// lists read by CTest end their lines with "\n" alone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

#include <cstdio>

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
