#version 150 core
// The light's sphere in the light's own colour.

uniform vec4 ambientColor;

out vec4 fragColor;

void main()
{
    fragColor = ambientColor;
}
