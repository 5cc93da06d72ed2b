// The asset generator writes the same files on every run, so the data a build generates is
// the data the README's pictures were captured from.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

std::map<std::string, std::string> generatedFiles() {
    char pattern[] = "/tmp/okv-assets-XXXXXX";
    const std::filesystem::path root = mkdtemp(pattern);
    EXPECT_EQ(std::system(("'" + std::string(OKV_ASSETS_BINARY) + "' '" + root.string() + "' > /dev/null").c_str()), 0);
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::ifstream in(entry.path(), std::ios::binary);
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), root).string()] =
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove_all(root);
    return files;
}

TEST(AssetGeneratorTest, TwoRunsWriteIdenticalFilesAndAMissingArgumentIsRefused) {
    const std::map<std::string, std::string> first = generatedFiles();
    EXPECT_EQ(first.size(), 22u) << "five models with two textures each, six sky faces and the wave map";
    const std::map<std::string, std::string> second = generatedFiles();
    EXPECT_EQ(second.size(), first.size());
    for (const auto& [name, bytes] : first) {
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(second.count(name) && second.at(name) == bytes) << name << " differs between runs";
    }
    EXPECT_NE(std::system(("'" + std::string(OKV_ASSETS_BINARY) + "' 2> /dev/null").c_str()), 0);
}

}  // namespace
