// The main of the test programs that need an X display. Without one given (DISPLAY unset),
// they use the virtual X server that CTest's display fixture started and named in a file;
// with neither, they say why and end with the status that CTest counts as skipped.

#include "GLTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests, as CTest does to find them, needs no display.
    if (!std::getenv("DISPLAY") && !GTEST_FLAG_GET(list_tests)) {
        // The file holds the display's name and the server's process id.
        const std::string fixture = readFile(OKV_VIRTUAL_DISPLAY_FILE);
        const std::string display = fixture.substr(0, fixture.find(' '));
        if (display.empty()) {
            std::printf("Skipped: no X display. DISPLAY is not set, and no virtual X server was started: run the "
                        "tests through ctest, whose display fixture starts one, with Xvfb installed\n");
            return OKV_SKIPPED_STATUS;
        }
        setenv("DISPLAY", display.c_str(), 1);
    }
    return RUN_ALL_TESTS();
}
