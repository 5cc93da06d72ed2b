#include "app/DataDirectory.h"
#include "app/Renderer.h"

#include <GL/freeglut.h>

int main(int argc, char** argv)
{
    // Started from anywhere but its data directory (a double click, ./build/okv), the program
    // would find no shader, model or image and run on with a black window and a flood of errors:
    // it moves into the data directory beside it, or says what is missing and ends before
    // opening a window.
    if (!enterDataDirectory(argv[0]))
        return 1;
    Renderer& renderer = Renderer::instance();
    renderer.initWindow(&argc, argv);
    renderer.initShaders();
    renderer.loadScene();
    glutFullScreen();
    // Taken after loading, so the first frame's clock step does not include the loading time.
    renderer.lastFrameTime = glutGet(GLUT_ELAPSED_TIME);
    glutMainLoop();
    return 0;
}
