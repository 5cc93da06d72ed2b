#version 150 core
// Lit surfaces: world position, texture coordinate and tangent frame for the fragment stage.

uniform mat4 ProjectionMatrix;
uniform mat4 ViewMatrix;
uniform mat4 ModelMatrix;
uniform float cutPlaneHeight;
uniform int cutPlaneMode;  // -1: keep only what lies below the cut plane; 0: keep everything

in vec3 in_Position;
in vec3 in_Color;
in vec3 in_Normal;
in vec2 in_TextCord;
in vec3 in_Tangent;
in vec3 in_Bitangent;

out vec3 worldPosition;
out vec3 tint;
out vec2 texCoord;
out vec3 worldNormal;
out vec3 worldTangent;
out vec3 worldBitangent;

void main()
{
    vec4 world = ModelMatrix * vec4(in_Position, 1.0);
    worldPosition = world.xyz;
    // Models without vertex colours carry black: they are not tinted.
    tint = any(greaterThan(in_Color, vec3(0.0))) ? in_Color : vec3(1.0);
    texCoord = in_TextCord;
    // The scene's transforms scale uniformly or only along the ground plane's axes, so the
    // model matrix turns normals the right way; they are renormalised per fragment.
    mat3 toWorld = mat3(ModelMatrix);
    worldNormal = toWorld * in_Normal;
    worldTangent = toWorld * in_Tangent;
    worldBitangent = toWorld * in_Bitangent;
    gl_Position = ProjectionMatrix * ViewMatrix * world;
    // Clipped here rather than discarded per fragment: a shader that may discard loses the
    // early depth test, and every hidden fragment would be shaded.
    gl_ClipDistance[0] = cutPlaneMode == -1 ? cutPlaneHeight - world.y : 1.0;
}
