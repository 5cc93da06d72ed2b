#include "ProgramRun.h"

#include <gtest/gtest.h>

// Started from its data directory, as designed: the designed lines from the very first, and no
// word of finding a data directory.
TEST(StartupProgramTest,
     FromItsDataDirectoryStartsWithTheDesignedFirstLineEchoesKeysTogglesFullScreenOnLowerCaseFAndQuitsOnEscape)
{
    const std::string screen = screenGeometry();

    ProgramRun program(OKV_DATA_DIR);
    ASSERT_TRUE(program.waitForWindow(60)) << program.standardOutput() << program.standardError();
    ASSERT_TRUE(program.waitForOutput("After loadScene", 60)) << program.standardOutput();
    EXPECT_TRUE(program.waitForGeometry(screen, 20)) << "not full screen: " << program.windowGeometry();

    program.pressKey("a");
    ASSERT_TRUE(program.waitForOutput("97", 10));
    program.pressKey("f");
    ASSERT_TRUE(program.waitForOutput("97102", 10));
    EXPECT_TRUE(program.waitForGeometry("800x600", 20)) << "f did not leave full screen: " << program.windowGeometry();
    program.pressKey("F");
    ASSERT_TRUE(program.waitForOutput("9710270", 10));
    // Upper-case F must not toggle: give a toggle time to happen, then look again.
    EXPECT_FALSE(program.waitForGeometry(screen, 2));
    program.pressKey("Escape");

    EXPECT_EQ(program.waitForExit(30), 0);
    const std::string start = program.standardOutput().substr(0, 400);
    EXPECT_EQ(start.rfind("Status: Using GLEW ", 0), 0u) << start;
    EXPECT_EQ(program.standardOutput().find("data directory"), std::string::npos) << start;
    // The first upload is the sky box's: both buffers bound and filled, then the seven
    // attributes enabled and recorded.
    const std::string upload = "GLBuffer::bind::glErrorCode:0\nGLBuffer::allocate::glErrorCode:0\n"
                               "GLBuffer::bind::glErrorCode:0\nGLBuffer::allocate::glErrorCode:0\n"
                               "VertexArrayObject:init(1):Error:0\nVertexArrayObject:init(2):Error:0\n"
                               "VertexArrayObject:init(3):Error:0\nVertexArrayObject:init(3):Error:0\n"
                               "VertexArrayObject:init(3):Error:0\nVertexArrayObject:init(4):Error:0\n"
                               "VertexArrayObject:init(4):Error:0\nVertexArrayObject:init(4):Error:0\n";
    expectInOrder(program.standardOutput(),
                  {"Status: Using GLEW ", "OpenGL 3.2 ready\n", "after Shader 0\n", "0\n", upload,
                   "DataLoader::loadCubeMap::glErrorCode: 0\n", "Texture::create::glErrorCode:0\n",
                   "FrameBuffer::attachTexture::glError0\n", "Framebuffer complete.\n",
                   "After loadScene GLErrorCode:0\n", "9710270", "27"});
    EXPECT_EQ(program.standardError(), "");
}
