#pragma once

#include <filesystem>
#include <string>

// A fresh directory under the system's temporary directory, removed with all it holds when
// this goes away. The tools keep their scratch files in one, the tests their made-up data.
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(const std::string& prefix);
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::filesystem::path& path() const { return directory; }
    // Writes text to a file relative to the directory, creating parent folders.
    void write(const std::string& relativePath, const std::string& text) const;

private:
    std::filesystem::path directory;
};
