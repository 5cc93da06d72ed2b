#version 150 core
// Volume faces, translucent (more so behind the scene's surfaces): cool colours for front faces (their depth failures decrement
// the stencil in the screen pass), warm ones for back faces (they increment); caps and sides
// in different shades. The colours match the legend of the breakdown tool.

const int side = 2;
const vec3 frontSide = vec3(40.0, 110.0, 255.0) / 255.0;
const vec3 frontCap = vec3(0.0, 215.0, 200.0) / 255.0;
const vec3 backSide = vec3(255.0, 140.0, 0.0) / 255.0;
const vec3 backCap = vec3(235.0, 20.0, 120.0) / 255.0;

uniform float opacity;

flat in int part;

out vec4 fragColor;

void main()
{
    vec3 colour = gl_FrontFacing ? (part == side ? frontSide : frontCap) : (part == side ? backSide : backCap);
    fragColor = vec4(colour, opacity);
}
