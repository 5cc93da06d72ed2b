#version 150 core
// Lit surfaces, drawn twice per pass and added up: once with the light's colour and
// "ambientPower" 0 where the stencil says the point is lit (direct light only), then with
// "lightColor" 0 and "ambientPower" 1 everywhere (ambient only).
//
// Both passes run all of this code: Mesa's software rasteriser (llvmpipe) executes a branch
// on a uniform by masking, so both of its sides cost every fragment. The uniforms zero the
// term a pass does not add, and what only one pass needs is kept cheap in the other.

uniform float ambientPower;
uniform float shininess;
uniform vec3 ambientColor;     // the material's specular colour
uniform vec4 lightColor;
uniform sampler2D texDiffuse;  // unit 0
uniform sampler2D nomalMap;    // unit 1, tangent space
// "camWorldPos" and "lightPos" reach this stage as toEye and toLight.

in vec3 tint;
in vec2 texCoord;
in vec3 toLight;
in vec3 toEye;
in float normalUp;

out vec4 fragColor;

const vec3 skyLight = vec3(0.30, 0.34, 0.42);     // ambient from above
const vec3 groundLight = vec3(0.16, 0.14, 0.11);  // ambient bounced from below
const vec3 untexturedAlbedo = vec3(0.7);
const vec3 flatNormal = vec3(0.0, 0.0, 1.0);       // the surface normal, in the tangent frame

// A material without a texture has texture 0 bound, which has no image: drivers report its
// size as 0, or (Mesa) sample a 1 x 1 black stand-in. Either way there is no texture.
bool isMissing(sampler2D image, vec3 texel)
{
    ivec2 size = textureSize(image, 0);
    return size.x == 0 || (size == ivec2(1) && texel == vec3(0.0));
}

// Only the direct light uses the normal map. The ambient pass reads it at one point for all
// its fragments: with no change across the surface llvmpipe's sampler filters one mipmap
// level, from its cache, instead of two; a branch would not have skipped the read.
vec3 shadingNormal(float directPass)
{
    vec3 texel = texture(nomalMap, texCoord * directPass).rgb;
    vec3 mapped = texel * 2.0 - 1.0;
    return isMissing(nomalMap, texel) || dot(mapped, mapped) <= 1e-8 ? flatNormal : normalize(mapped);
}

void main()
{
    vec3 texel = texture(texDiffuse, texCoord).rgb;
    vec3 albedo = tint * (isMissing(texDiffuse, texel) ? untexturedAlbedo : texel);
    float directPass = lightColor == vec4(0.0) ? 0.0 : 1.0;
    vec3 normal = shadingNormal(directPass);

    // Direct light from the point light: diffuse plus a highlight tinted by the material. A
    // surface turned away from the light gets none, whatever its normal map says.
    vec3 light = normalize(toLight);
    float diffuse = max(dot(normal, light), 0.0);
    float specular = pow(max(dot(normal, normalize(light + normalize(toEye))), 0.0), max(shininess, 1.0));
    float facing = toLight.z > 0.0 ? 1.0 : 0.0;
    vec3 direct = facing * lightColor.rgb * (albedo * diffuse + ambientColor * specular);

    // Light from the sky above and the ground below, blended by where the surface faces.
    vec3 ambient = ambientPower * albedo * mix(groundLight, skyLight, 0.5 + 0.5 * normalUp);

    fragColor = vec4(direct + ambient, 1.0);
}
