#include "TemporaryDirectory.h"

#include <fstream>
#include <random>

TemporaryDirectory::TemporaryDirectory(const std::string& prefix)
{
    // create_directory says whether it made the directory, so a name another process took
    // first is never shared.
    std::random_device random;
    do
        directory = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random()));
    while (!std::filesystem::create_directory(directory));
}

TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

void TemporaryDirectory::write(const std::string& relativePath, const std::string& text) const
{
    const std::filesystem::path file = directory / relativePath;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}
