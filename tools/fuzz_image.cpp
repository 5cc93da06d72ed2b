// okv_fuzz_image: libFuzzer over the image path, the way a person's own texture takes it. An
// input is a file name's extension, a newline and the file's bytes ("png\n" and a PNG file);
// the bytes become the file "models/texture.EXTENSION" (without an extension when the first
// line is not one, and DevIL then guesses the format from the bytes), and DataLoader::
// loadTexture loads it as the scene assembly loads a model's texture, on a real GL context:
// decoded by DevIL in a child process (loader/DecodedImage.h), handed back, made a texture.
// A texture that comes out must have a size, and hold it at level 0 where GL takes that size. The image
// library's own faults end only the child, and the fuzzer goes on: what it keeps are faults of
// this program's code.
//
// Built in a Clang build with -fsanitize=fuzzer,address,undefined, over a copy of the loader
// compiled with the same sanitizers. Needs an X display. Run it through scripts/fuzz.sh.

#include "FuzzTarget.h"
#include "loader/DataLoader.h"

#include <GL/glew.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

std::string modelsDirectory;  // with the trailing separator, as the scene assembly passes it

// The first line, when it is an extension: one to five letters or digits.
std::string extensionOf(const std::string& input)
{
    const size_t end = input.find('\n');
    if (end == std::string::npos || end == 0 || end > 5)
        return {};
    const std::string extension = input.substr(0, end);
    const bool plain = std::all_of(extension.begin(), extension.end(), [](char c) { return std::isalnum(c) != 0; });
    return plain ? extension : std::string();
}

GLint levelZero(GLenum parameter)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** argv)
{
    modelsDirectory = startFuzzTarget("okv_fuzz_image", *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string extension = extensionOf(input);
    const std::string path = modelsDirectory + "texture" + (extension.empty() ? "" : "." + extension);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << (extension.empty() ? input : input.substr(extension.size() + 1));

    {
        // A loader per input, as each start of the program has its own.
        DataLoader loader;
        const std::unique_ptr<Texture> texture(loader.loadTexture(path));
        if (texture != nullptr) {
            // Larger than GL takes, the texture is refused by GL, which the program reports.
            GLint largest = 0;
            glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
            glBindTexture(GL_TEXTURE_2D, texture->id);
            const bool held =
                levelZero(GL_TEXTURE_WIDTH) == texture->width && levelZero(GL_TEXTURE_HEIGHT) == texture->height;
            if (texture->width <= 0 || texture->height <= 0 ||
                (texture->width <= largest && texture->height <= largest && !held)) {
                std::fprintf(stderr, "okv_fuzz_image: a %dx%d texture holds %dx%d at level 0\n", texture->width,
                             texture->height, levelZero(GL_TEXTURE_WIDTH), levelZero(GL_TEXTURE_HEIGHT));
                std::abort();
            }
            glBindTexture(GL_TEXTURE_2D, 0);
            glDeleteTextures(1, &texture->id);
        }
    }
    std::filesystem::remove(path);
    return 0;
}
