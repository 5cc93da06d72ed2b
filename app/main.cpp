#include "app/Renderer.h"

#include <GL/freeglut.h>

int main(int argc, char** argv)
{
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
