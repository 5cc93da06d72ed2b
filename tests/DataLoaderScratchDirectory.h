#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// The loader writes "assimp_log.txt" into the working directory; tests without a GL context
// run inside a fresh directory of their own, removed at the end of the test.
class DataLoaderScratchDirectory {
public:
    DataLoaderScratchDirectory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "okv-loader-XXXXXX").string();
        directory = mkdtemp(pattern.data());
        previous = std::filesystem::current_path();
        std::filesystem::current_path(directory);
    }
    ~DataLoaderScratchDirectory()
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(directory);
    }
    DataLoaderScratchDirectory(const DataLoaderScratchDirectory&) = delete;
    DataLoaderScratchDirectory& operator=(const DataLoaderScratchDirectory&) = delete;
    const std::string& path() const { return directory; }

private:
    std::string directory;
    std::filesystem::path previous;
};
