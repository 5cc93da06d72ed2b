#version 150 core
// Lit surfaces: the directions to the light and to the eye in the surface's tangent frame,
// where the normal map's vectors are, so that the fragment stage uses them as they are.

uniform mat4 ProjectionMatrix;
uniform mat4 ViewMatrix;
uniform mat4 ModelMatrix;
uniform float cutPlaneHeight;
uniform int cutPlaneMode;  // -1: keep only what lies below the cut plane; 0: keep everything
uniform vec3 camWorldPos;
uniform vec3 lightPos;

in vec3 in_Position;
in vec3 in_Color;
in vec3 in_Normal;
in vec2 in_TextCord;
in vec3 in_Tangent;
in vec3 in_Bitangent;

out vec3 tint;
out vec2 texCoord;
out vec3 toLight;     // in the tangent frame; not normalised, so that it interpolates
out vec3 toEye;       // exactly across flat triangles
out float normalUp;   // world y of the unit surface normal

void main()
{
    vec4 world = ModelMatrix * vec4(in_Position, 1.0);
    // Models without vertex colours carry black: they are not tinted.
    tint = any(greaterThan(in_Color, vec3(0.0))) ? in_Color : vec3(1.0);
    texCoord = in_TextCord;
    // The scene's transforms scale uniformly or only along the ground plane's axes, so the
    // model matrix turns the frame the right way; the scale goes with the normalisation.
    mat3 toWorld = mat3(ModelMatrix);
    mat3 tangentFrame = mat3(normalize(toWorld * in_Tangent), normalize(toWorld * in_Bitangent),
                             normalize(toWorld * in_Normal));
    // A vector times the frame: its components along tangent, bitangent and normal.
    toLight = (lightPos - world.xyz) * tangentFrame;
    toEye = (camWorldPos - world.xyz) * tangentFrame;
    normalUp = tangentFrame[2].y;
    gl_Position = ProjectionMatrix * ViewMatrix * world;
    // Clipped here rather than discarded per fragment: a shader that may discard loses the
    // early depth test, and every hidden fragment would be shaded.
    gl_ClipDistance[0] = cutPlaneMode == -1 ? cutPlaneHeight - world.y : 1.0;
}
