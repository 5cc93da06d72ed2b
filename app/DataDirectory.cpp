#include "app/DataDirectory.h"

#include <cstdio>
#include <system_error>

#ifdef _WIN32
// Without it windows.h defines min and max as macros, which break std::min and std::max.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

// The running executable's own path, where the system can tell it; argv[0] is only what the
// starter typed, a bare name when the program was found through PATH.
fs::path executablePath(const char* argv0)
{
    std::error_code error;
#ifdef _WIN32
    std::wstring name(32768, L'\0');  // the longest path Windows has
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), DWORD(name.size()));
    if (length > 0 && length < name.size()) {
        name.resize(length);
        return fs::path(name);
    }
#else
    // With every link resolved: a link to the program in ~/bin still finds build/data.
    fs::path path = fs::read_symlink("/proc/self/exe", error);
    if (!error)
        return path;
#endif
    return fs::absolute(argv0 ? argv0 : "", error);
}

bool holdsShaderSources(const fs::path& directory)
{
    std::error_code error;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end; entry.increment(error))
        if (entry->path().extension() == ".glsl")
            return true;
    return false;
}

}  // namespace

// Any shader source with models/ and images/ beside it makes a data directory, however broken:
// a file missing from it is reported by whatever reads it, as always. The source tree's data/
// holds only the shader sources, and the build directory only data/.
bool holdsRunTimeData(const fs::path& directory)
{
    std::error_code error;
    return fs::is_directory(directory / "models", error) && fs::is_directory(directory / "images", error) &&
           holdsShaderSources(directory);
}

fs::path dataDirectoryBeside(const fs::path& executable)
{
    return executable.parent_path() / "data";
}

std::optional<fs::path> findDataDirectory(const fs::path& workingDirectory, const fs::path& executable)
{
    if (holdsRunTimeData(workingDirectory))
        return workingDirectory;
    if (holdsRunTimeData(dataDirectoryBeside(executable)))
        return dataDirectoryBeside(executable);
    return std::nullopt;
}

bool enterDataDirectory(const char* argv0)
{
    std::error_code error;
    const fs::path workingDirectory = fs::current_path(error);
    const fs::path executable = executablePath(argv0);
    const std::optional<fs::path> dataDirectory = findDataDirectory(workingDirectory, executable);
    if (dataDirectory == workingDirectory)
        return true;
    if (dataDirectory)
        fs::current_path(*dataDirectory, error);
    if (!dataDirectory || error) {
        std::fprintf(stderr,
                     "No run-time data in %s or in %s: the program needs its GLSL files, models/ and images/ in "
                     "the directory it is started from or in data/ beside it, where the build puts them\n",
                     workingDirectory.u8string().c_str(), dataDirectoryBeside(executable).u8string().c_str());
        return false;
    }
    std::printf("Using the data directory beside the program: %s\n", dataDirectory->u8string().c_str());
    std::fflush(stdout);
    return true;
}
