#version 150 core
// The water surface: the reflected and the refracted scene, sampled where the surface
// point lies on screen and pushed about by two layers of moving waves, mixed by Fresnel.
// The water is drawn twice and the two are added: the lit pass (light colour set) gives
// only the light's glint, where the point is not in shadow; the ambient pass (light colour
// 0) gives the reflection and refraction, which shadows on the surface do not darken.
// Both passes run all of this code (a software rasteriser executes both sides of a branch
// on a uniform), and the light colour zeroes the term a pass does not add.

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

const float waveRepeats = 3.0;         // the wave map's tiles across the plane
const float secondLayerScale = 1.7;    // the second layer's waves are smaller, by a factor that
                                       // keeps the two layers from lining up
const float waveCalmness = 2.0;        // weight of the waves' up component against their slopes
const float minimumUp = 0.5;           // added to the up component: even the steepest wave faces up
const float distortion = 0.025;        // how far the waves push the samples, as a share of the screen
const float imageMargin = 0.001;       // about one texel of the 1024-texel images: pushed samples
                                       // stay off their outermost row
const float baseReflectance = 0.02;    // water seen straight down
const vec3 waterTint = vec3(0.78, 0.92, 0.95);  // the colour it gives what is seen through it
const float glintSharpness = 300.0;    // highlight exponent: a small, sun-like glint
const float glintBrightness = 1.5;     // above 1, so that the glint saturates to white

vec3 waveNormal()
{
    // Whole-unit shifts per cycle, so the pattern is seamless when time wraps to 0.
    vec2 first = texCoord * waveRepeats + vec2(time, 0.0);
    vec2 second = texCoord * waveRepeats * secondLayerScale + vec2(0.0, -time);
    vec3 texels = texture(bumpTexture, first).rgb + texture(bumpTexture, second).rgb;
    // Without a wave map texture 0 is bound, which has no image: drivers report its size as
    // 0, or (Mesa) sample a 1 x 1 black stand-in. The water then lies flat.
    ivec2 size = textureSize(bumpTexture, 0);
    if (size.x == 0 || (size == ivec2(1) && texels == vec3(0.0)))
        return vec3(0.0, 1.0, 0.0);
    // The mean of the two layers' tangent-space normals (each decoded as 2 * texel - 1),
    // with the map's z, its up direction, turned to the world's y.
    vec3 bump = texels - 1.0;
    return normalize(vec3(bump.x, bump.z * waveCalmness + minimumUp, bump.y));
}

// Schlick's approximation of the Fresnel term raises (1 - cosine) to the fifth power; by
// multiplication that is exact, where pow is only as precise as exp2(5 * log2(x)).
float fifthPower(float x)
{
    float square = x * x;
    return square * square * x;
}

void main()
{
    vec3 normal = waveNormal();
    vec3 toEye = normalize(camWorldPos - worldPosition);

    // The light's glint, only while the light is above the water.
    vec3 toLight = normalize(lightWorldPos - worldPosition);
    float glint = pow(max(dot(normal, normalize(toLight + toEye)), 0.0), glintSharpness) * step(0.0, toLight.y);
    vec3 direct = lightColor.rgb * glint * glintBrightness;

    // The scene above and below the surface, in the ambient pass only.
    float ambientPass = lightColor == vec4(0.0) ? 1.0 : 0.0;
    vec2 screen = projectedPosition.xy / projectedPosition.w;
    vec2 offset = normal.xz * distortion;
    vec3 reflection = texture(reflectTexture, clamp(screen + offset, imageMargin, 1.0 - imageMargin)).rgb;
    vec3 refraction = texture(refractTexture, clamp(screen - offset, imageMargin, 1.0 - imageMargin)).rgb * waterTint;
    float fresnel = baseReflectance + (1.0 - baseReflectance) * fifthPower(1.0 - max(dot(toEye, normal), 0.0));
    vec3 scene = mix(refraction, reflection, fresnel);

    fragColor = vec4(direct + ambientPass * scene, 1.0);
}
