#version 150 core
// Volume faces, translucent: blue for front faces (their depth failures decrement the stencil
// in the screen pass), orange for back faces (they increment), as docs/frame.md says.

uniform float opacity;

const vec3 frontFace = vec3(40.0, 110.0, 255.0) / 255.0;
const vec3 backFace = vec3(255.0, 140.0, 0.0) / 255.0;

out vec4 fragColor;

void main()
{
    fragColor = vec4(gl_FrontFacing ? frontFace : backFace, opacity);
}
