#version 150 core
// Lit surfaces. Drawn twice per pass: direct light only ("lightColor" set, "ambientPower" 0)
// where the stencil says lit, then ambient only ("lightColor" 0, "ambientPower" 1) added on top.

uniform float cutPlaneHeight;
uniform int cutPlaneMode;       // -1: keep only what lies below the cut plane; 0: keep all
uniform float ambientPower;
uniform float shininess;
uniform vec3 camWorldPos;
uniform vec3 lightPos;
uniform vec3 ambientColor;
uniform vec4 lightColor;
uniform sampler2D texDiffuse;
uniform sampler2D nomalMap;

in vec3 worldPosition;
in vec3 vertexColor;
in vec2 texCoord;
in mat3 tangentToWorld;

out vec4 fragColor;

void main()
{
    if (cutPlaneMode == -1 && worldPosition.y > cutPlaneHeight)
        discard;
    vec3 albedo = texture(texDiffuse, texCoord).rgb;
    vec3 normal = normalize(tangentToWorld * (texture(nomalMap, texCoord).rgb * 2.0 - 1.0));
    vec3 toLight = normalize(lightPos - worldPosition);
    vec3 toEye = normalize(camWorldPos - worldPosition);
    float diffuse = max(dot(normal, toLight), 0.0);
    float specular = pow(max(dot(reflect(-toLight, normal), toEye), 0.0), max(shininess, 1.0));
    vec3 direct = lightColor.rgb * (albedo * diffuse + ambientColor * specular);
    fragColor = vec4(direct + ambientPower * 0.2 * albedo + 0.0 * vertexColor, 1.0);
}
