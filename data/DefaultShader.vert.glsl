#version 150 core
// Lit surfaces: world position, texture coordinate and tangent frame for the fragment stage.

uniform mat4 ProjectionMatrix;
uniform mat4 ViewMatrix;
uniform mat4 ModelMatrix;

in vec3 in_Position;
in vec3 in_Color;
in vec3 in_Normal;
in vec2 in_TextCord;
in vec3 in_Tangent;
in vec3 in_Bitangent;

out vec3 worldPosition;
out vec3 vertexColor;
out vec2 texCoord;
out mat3 tangentToWorld;

void main()
{
    vec4 world = ModelMatrix * vec4(in_Position, 1.0);
    worldPosition = world.xyz;
    vertexColor = in_Color;
    texCoord = in_TextCord;
    mat3 normalMatrix = mat3(ModelMatrix);
    tangentToWorld = mat3(normalMatrix * in_Tangent, normalMatrix * in_Bitangent, normalMatrix * in_Normal);
    gl_Position = ProjectionMatrix * ViewMatrix * world;
}
