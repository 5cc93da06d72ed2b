#pragma once

#include <filesystem>
#include <optional>

// The program reads its shaders, models and images relative to the working directory. Started
// from anywhere else (the repository root, a file manager's double click), it would run with
// none of them, so before the window opens it makes the data directory the working directory.

// True when directory holds the run-time data: shader sources, models/ and images/.
bool holdsRunTimeData(const std::filesystem::path& directory);

// The data directory beside an executable: build/data for build/okv, where the build puts it.
std::filesystem::path dataDirectoryBeside(const std::filesystem::path& executable);

// The working directory when it holds the data; otherwise the data directory beside the
// executable when that one does; otherwise nothing.
std::optional<std::filesystem::path> findDataDirectory(const std::filesystem::path& workingDirectory,
                                                       const std::filesystem::path& executable);

// Moves into the data directory found for this process. Started from the data directory,
// it does and prints nothing; started elsewhere, it says in one line which directory it
// uses. With no data in either place it prints one line on standard error naming where it
// looked and what it needs, and returns false. argv0 locates the executable where the system
// cannot tell its path.
bool enterDataDirectory(const char* argv0);
