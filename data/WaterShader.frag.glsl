#version 150 core
// The water surface: reflection and refraction images disturbed by a moving wave map.

uniform float time;
uniform vec3 camWorldPos;
uniform vec3 lightWorldPos;
uniform vec4 lightColor;
uniform sampler2D reflectTexture;
uniform sampler2D refractTexture;
uniform sampler2D bumpTexture;

in vec4 projectedPosition;
in vec3 worldPosition;
in vec2 texCoord;

out vec4 fragColor;

void main()
{
    vec2 wave = texture(bumpTexture, texCoord + vec2(time)).rg * 2.0 - 1.0;
    vec2 screen = projectedPosition.xy / projectedPosition.w + 0.02 * wave;
    vec3 toEye = normalize(camWorldPos - worldPosition);
    vec3 toLight = normalize(lightWorldPos - worldPosition);
    float fresnel = 1.0 - max(toEye.y, 0.0);
    vec3 color = mix(texture(refractTexture, screen).rgb, texture(reflectTexture, screen).rgb, fresnel);
    fragColor = vec4(color * lightColor.rgb * max(toLight.y, 0.0), 1.0);
}
