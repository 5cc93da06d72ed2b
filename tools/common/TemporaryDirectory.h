#pragma once

#include <filesystem>
#include <string>

// A fresh directory under the system's temporary directory, removed with all it holds when
// this goes away.
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(const std::string& prefix);
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
    const std::filesystem::path& path() const { return directory; }

private:
    std::filesystem::path directory;
};
