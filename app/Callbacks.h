#pragma once

// The freeglut callbacks. Each forwards to Renderer::instance(), which creates the Renderer
// if it does not exist yet.
void displayCallback();
void reshapeCallback(int width, int height);
// Echoes the key code; Escape leaves the main loop, 'f' toggles full screen.
void keyboardCallback(unsigned char key, int x, int y);
