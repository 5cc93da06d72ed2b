#version 150 core
// The water plane: clip position for projecting the reflection and refraction images.

uniform mat4 ProjectionMatrix;
uniform mat4 ViewMatrix;
uniform mat4 ModelMatrix;
uniform mat4 TextureCorrection;

in vec3 in_Position;
in vec2 in_TextCord;

out vec4 projectedPosition;
out vec3 worldPosition;
out vec2 texCoord;

void main()
{
    vec4 world = ModelMatrix * vec4(in_Position, 1.0);
    worldPosition = world.xyz;
    texCoord = in_TextCord;
    gl_Position = ProjectionMatrix * ViewMatrix * world;
    projectedPosition = TextureCorrection * gl_Position;
    gl_ClipDistance[0] = 1.0;  // never cut by the water plane
}
