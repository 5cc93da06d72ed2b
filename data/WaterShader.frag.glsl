#version 150 core
// The water surface: the reflected and the refracted scene, sampled where the surface
// point lies on screen and pushed about by two layers of moving waves, mixed by Fresnel.
// The water is drawn twice and the two are added: the lit pass (light colour set) gives
// only the light's glint, where the point is not in shadow; the ambient pass (light colour
// 0) gives the reflection and refraction, which shadows on the surface do not darken.

uniform float time;  // in [0, 1): one wave cycle
uniform vec3 camWorldPos;
uniform vec3 lightWorldPos;
uniform vec4 lightColor;
uniform sampler2D reflectTexture;  // unit 0
uniform sampler2D refractTexture;  // unit 1
uniform sampler2D bumpTexture;     // unit 2, tangent-space wave normals

in vec4 projectedPosition;
in vec3 worldPosition;
in vec2 texCoord;

out vec4 fragColor;

const float waveRepeats = 3.0;
const float distortion = 0.025;
const float baseReflectance = 0.02;  // water seen straight down
const vec3 waterTint = vec3(0.78, 0.92, 0.95);

vec3 waveNormal()
{
    if (textureSize(bumpTexture, 0).x == 0)
        return vec3(0.0, 1.0, 0.0);
    // Whole-unit shifts per cycle, so the pattern is seamless when time wraps to 0.
    vec2 first = texCoord * waveRepeats + vec2(time, 0.0);
    vec2 second = texCoord * waveRepeats * 1.7 + vec2(0.0, -time);
    vec3 bump = texture(bumpTexture, first).rgb + texture(bumpTexture, second).rgb - 1.0;
    return normalize(vec3(bump.x, bump.z * 2.0 + 0.5, bump.y));
}

void main()
{
    vec3 normal = waveNormal();
    vec3 toEye = normalize(camWorldPos - worldPosition);

    if (lightColor != vec4(0.0)) {
        vec3 toLight = normalize(lightWorldPos - worldPosition);
        float glint = pow(max(dot(normal, normalize(toLight + toEye)), 0.0), 300.0) * step(0.0, toLight.y);
        fragColor = vec4(lightColor.rgb * glint * 1.5, 1.0);
        return;
    }

    vec2 screen = projectedPosition.xy / projectedPosition.w;
    vec2 offset = normal.xz * distortion;
    vec3 reflection = texture(reflectTexture, clamp(screen + offset, 0.001, 0.999)).rgb;
    vec3 refraction = texture(refractTexture, clamp(screen - offset, 0.001, 0.999)).rgb * waterTint;
    float cosine = max(dot(toEye, normal), 0.0);
    float fresnel = baseReflectance + (1.0 - baseReflectance) * pow(1.0 - cosine, 5.0);
    fragColor = vec4(mix(refraction, reflection, fresnel), 1.0);
}
