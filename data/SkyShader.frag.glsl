#version 150 core
// The sky colour in the direction of the cube vertex.

uniform samplerCube skyCubeMap;  // unit 0, the GL default

in vec3 direction;

out vec4 fragColor;

void main()
{
    fragColor = texture(skyCubeMap, direction);
}
