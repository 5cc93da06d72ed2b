#version 150 core
// Lit surfaces, drawn twice per pass and added up: once with the light's colour and
// "ambientPower" 0 where the stencil says the point is lit (direct light only), then with
// "lightColor" 0 and "ambientPower" 1 everywhere (ambient only).

uniform float ambientPower;
uniform float shininess;
uniform vec3 camWorldPos;
uniform vec3 lightPos;
uniform vec3 ambientColor;   // the material's specular colour
uniform vec4 lightColor;
uniform sampler2D texDiffuse;  // unit 0
uniform sampler2D nomalMap;    // unit 1, tangent space

in vec3 worldPosition;
in vec3 tint;
in vec2 texCoord;
in vec3 worldNormal;
in vec3 worldTangent;
in vec3 worldBitangent;

out vec4 fragColor;

const vec3 skyLight = vec3(0.30, 0.34, 0.42);     // ambient from above
const vec3 groundLight = vec3(0.16, 0.14, 0.11);  // ambient bounced from below
const vec3 untexturedAlbedo = vec3(0.7);

// A material without a texture has texture 0 bound, which has no size.
bool hasTexture(sampler2D image)
{
    return textureSize(image, 0).x > 0;
}

vec3 shadingNormal(vec3 normal)
{
    if (!hasTexture(nomalMap))
        return normal;
    vec3 tangentSpace = texture(nomalMap, texCoord).rgb * 2.0 - 1.0;
    mat3 tangentFrame = mat3(normalize(worldTangent), normalize(worldBitangent), normal);
    vec3 mapped = tangentFrame * tangentSpace;
    return dot(mapped, mapped) > 1e-8 ? normalize(mapped) : normal;
}

// Direct light from the point light: diffuse plus a highlight tinted by the material.
vec3 directLight(vec3 albedo, vec3 surfaceNormal, vec3 normal)
{
    vec3 toLight = normalize(lightPos - worldPosition);
    // A surface turned away from the light gets none, whatever its normal map says.
    if (dot(surfaceNormal, toLight) <= 0.0)
        return vec3(0.0);
    vec3 toEye = normalize(camWorldPos - worldPosition);
    float diffuse = max(dot(normal, toLight), 0.0);
    float specular = pow(max(dot(normal, normalize(toLight + toEye)), 0.0), max(shininess, 1.0));
    return lightColor.rgb * (albedo * diffuse + ambientColor * specular);
}

// Light from the sky above and the ground below, blended by where the normal points.
vec3 ambientLight(vec3 albedo, vec3 normal)
{
    return ambientPower * albedo * mix(groundLight, skyLight, 0.5 + 0.5 * normal.y);
}

void main()
{
    vec3 albedo = tint * (hasTexture(texDiffuse) ? texture(texDiffuse, texCoord).rgb : untexturedAlbedo);
    vec3 surfaceNormal = normalize(worldNormal);
    vec3 normal = shadingNormal(surfaceNormal);
    // Each of the two passes needs only one of the terms; the other would come out as 0.
    vec3 color = vec3(0.0);
    if (lightColor != vec4(0.0))
        color += directLight(albedo, surfaceNormal, normal);
    if (ambientPower != 0.0)
        color += ambientLight(albedo, normal);
    fragColor = vec4(color, 1.0);
}
