// The pages, README.md and docs/*.md, against the tree they describe, so that no page drifts
// from the code unnoticed. What every page must keep:
//  1. Links and pictures: a target that is not a URL ("scheme:...") or an anchor ("#...") names
//     a file or folder that exists, relative to the page.
//  2. Paths: a word of a code span (`...`) or of an indented code block that begins with a
//     folder at the top of the tree and a slash names a file or folder that exists, from the
//     top of the tree. The build folders (build*) hold outputs and are not part of the tree.
//  3. Names: a code span that is one name (`renderFrameAt`, `Renderer::renderScenePass`,
//     `GL_DEPTH_CLAMP`, `"isMirrored"`) occurs in the code as a whole word; one that is a call
//     (`glStencilFunc(GL_EQUAL, 0, 0xFF)`) occurs there as written. The code is the C++, GLSL,
//     shell and CMake files of the tree, this one aside: its cases name slips on purpose. A
//     name from outside the tree (a driver's function, a C library's) is written without
//     backticks, or as the text of a link to where it lives. Other spans (commands, console
//     lines, expressions) are checked for paths only.
//  4. Excerpts: a fenced code block (```) is an excerpt of the file that the last link before
//     it names, and its lines are consecutive lines of that file, indentation aside.

#include "GLTestSupport.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

bool isCode(const fs::path& path)
{
    const std::set<std::string> extensions = {".h", ".cpp", ".glsl", ".sh", ".cmake"};
    return extensions.count(path.extension().string()) || path.filename() == "CMakeLists.txt";
}

// The files of the source tree by their paths from its top, and the text of its code.
struct Tree {
    std::set<std::string> files, topFolders;
    std::map<std::string, std::string> code;

    void add(const std::string& path, const std::string& text)
    {
        files.insert(path);
        if (path.find('/') != std::string::npos)
            topFolders.insert(path.substr(0, path.find('/')));
        if (isCode(path))
            code[path] = text;
    }

    bool exists(std::string path) const
    {
        path.erase(path.find_last_not_of('/') + 1);
        const auto next = files.lower_bound(path + "/");
        return files.count(path) || (next != files.end() && next->rfind(path + "/", 0) == 0);
    }
};

Tree readTree(const fs::path& root)
{
    Tree tree;
    for (const auto& top : fs::directory_iterator(root)) {
        if (top.path().filename().string()[0] == '.' || top.path().filename().string().rfind("build", 0) == 0)
            continue;
        std::vector<fs::path> files = {top.path()};
        if (top.is_directory())
            files.assign(fs::recursive_directory_iterator(top.path()), fs::recursive_directory_iterator());
        for (const fs::path& file : files) {
            const std::string path = file.lexically_relative(root).generic_string();
            if (fs::is_regular_file(file))
                tree.add(path, isCode(file) && path != "tests/DocumentsTest.cpp" ? readFile(file.string()) : "");
        }
    }
    return tree;
}

bool occursAsWord(const std::string& text, const std::string& word)
{
    const auto isWordCharacter = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const size_t end = at + word.size();
        if ((at == 0 || !isWordCharacter(text[at - 1])) && (end == text.size() || !isWordCharacter(text[end])))
            return true;
    }
    return false;
}

// Each line without its indentation.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line.substr(std::min(line.find_first_not_of(" \t"), line.size())));
    return lines;
}

// What a page says about the tree that the tree does not bear out, one line each.
class PageCheck {
public:
    PageCheck(const Tree& tree, const std::string& page) : tree(tree), folder(fs::path(page).parent_path()) {}

    std::vector<std::string> run(const std::string& text)
    {
        std::string prose, excerpt;
        bool inExcerpt = false;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("```", 0) == 0) {
                if (inExcerpt)
                    checkExcerpt(excerpt, prose);
                excerpt.clear();
                inExcerpt = !inExcerpt;
            } else if (inExcerpt) {
                excerpt += line + "\n";
            } else if (line.rfind("    ", 0) == 0) {
                checkPaths(line);
            } else {
                prose += line + "\n";
            }
        }
        for (const std::string& target : links(prose))
            if (!resolved(target).empty() && !tree.exists(resolved(target)))
                findings.push_back("the link " + target + " leads to nothing");
        checkSpans(prose);
        return findings;
    }

private:
    const Tree& tree;
    const fs::path folder;
    std::vector<std::string> findings;

    static std::vector<std::string> links(const std::string& prose)
    {
        static const std::regex link(R"(\]\(([^)\s]*)\))");
        std::vector<std::string> targets;
        for (std::sregex_iterator found(prose.begin(), prose.end(), link), end; found != end; ++found)
            targets.push_back((*found)[1]);
        return targets;
    }

    // From the page's folder to the top of the tree; empty for a URL or an anchor.
    std::string resolved(const std::string& target) const
    {
        const std::string file = target.substr(0, target.find('#'));
        if (file.empty() || std::regex_search(file, std::regex("^[a-z]+:")))
            return "";
        return (folder / file).lexically_normal().generic_string();
    }

    void checkPaths(const std::string& code)
    {
        std::istringstream words(code);
        for (std::string word; words >> word;) {
            if (tree.topFolders.count(word.substr(0, word.find('/'))) && word.find('/') != std::string::npos &&
                !tree.exists(word))
                findings.push_back("`" + word + "` names nothing in the tree");
        }
    }

    void checkSpans(const std::string& prose)
    {
        static const std::regex span(R"((\[?)`([^`]+)`(\]\()?)");
        static const std::regex name(R"(^("?)([A-Za-z_]\w*(?:::[A-Za-z_]\w*)*)\1$)");
        static const std::regex call(R"(^[A-Za-z_][\w:]*\(.*\)$)");
        for (std::sregex_iterator found(prose.begin(), prose.end(), span), end; found != end; ++found) {
            std::string text = (*found)[2];
            std::replace(text.begin(), text.end(), '\n', ' ');
            checkPaths(text);
            std::smatch parts;
            const bool linkText = (*found)[1].length() > 0 && (*found)[3].length() > 0;
            if (!linkText && std::regex_match(text, parts, name) && !inCode(parts[2], true))
                findings.push_back("`" + text + "` occurs nowhere in the code as a whole word");
            if (!linkText && std::regex_match(text, call) && !inCode(text, false))
                findings.push_back("`" + text + "` occurs nowhere in the code as written");
        }
    }

    bool inCode(const std::string& text, bool asWord) const
    {
        return std::any_of(tree.code.begin(), tree.code.end(), [&](const auto& file) {
            return asWord ? occursAsWord(file.second, text) : file.second.find(text) != std::string::npos;
        });
    }

    void checkExcerpt(const std::string& excerpt, const std::string& prose)
    {
        const std::vector<std::string> named = links(prose), wanted = linesOf(excerpt);
        const std::string path = named.empty() ? "" : resolved(named.back());
        const auto file = tree.code.find(path);
        const std::vector<std::string> lines = linesOf(file == tree.code.end() ? "" : file->second);
        if (wanted.empty() || std::search(lines.begin(), lines.end(), wanted.begin(), wanted.end()) == lines.end())
            findings.push_back("an excerpt (" + excerpt.substr(0, excerpt.find('\n')) +
                               ") is not in the code file the last link before it names: " + path);
    }
};

std::string checked(const Tree& tree, const std::string& page, const std::string& text, size_t* count)
{
    const std::vector<std::string> findings = PageCheck(tree, page).run(text);
    *count = findings.size();
    std::string listed;
    for (const std::string& finding : findings)
        listed += "\n  " + finding;
    return listed;
}

}  // namespace

TEST(DocumentsTest, EveryLinkPathNameAndExcerptOfThePagesIsInTheTree)
{
    const Tree tree = readTree(OKV_SOURCE_ROOT);
    size_t pages = 0;
    for (const std::string& page : tree.files)
        if (page == "README.md" || std::regex_match(page, std::regex("docs/[^/]*\\.md"))) {
            size_t findings = 0;
            const std::string listed = checked(tree, page, readFile(OKV_SOURCE_ROOT "/" + page), &findings);
            EXPECT_EQ(findings, 0u) << page << ":" << listed;
            ++pages;
        }
    EXPECT_GT(pages, 1u);
}

// Each rule on a small page of its own, against a small tree: what it lets pass, and the slip
// it is there to find.
TEST(DocumentsTest, EachRuleFindsTheSlipItIsFor)
{
    Tree tree;
    tree.add("app/ScenePass.cpp", "void Renderer::shadowVolumes()\n{\n    glEnable(GL_STENCIL_TEST);\n"
                                  "    glStencilFunc(GL_ALWAYS, 0, 0xFF);\n}\n");
    tree.add("data/Water.frag.glsl", "uniform float time;\n");
    tree.add("docs/frame.md", "");
    const std::string stencilSetUp = "```cpp\nglEnable(GL_STENCIL_TEST);\nglStencilFunc(GL_ALWAYS, 0, 0xFF);\n```\n";
    const std::string swapped = "```cpp\nglStencilFunc(GL_ALWAYS, 0, 0xFF);\nglEnable(GL_STENCIL_TEST);\n```\n";
    const std::string fromScenePass = "From [the pass](../app/ScenePass.cpp):\n\n";
    const struct {
        const char* name;
        std::string page;  // docs/page.md
        size_t findings;
    } cases[] = {
        {"a link to a file and a picture", "[pass](../app/ScenePass.cpp) ![frame](frame.md)", 0},
        {"a link to nothing", "[pass](../app/ScenePas.cpp)", 1},
        {"a URL and an anchor", "[a](https://example.org/a.cpp) [b](#steps) [c](frame.md#steps)", 0},
        {"paths from the top", "`app/ScenePass.cpp`, `bash app/` and `data/Water.frag.glsl`", 0},
        {"a path to nothing", "`app/Scene.cpp`", 1},
        {"a path in a command", "`cd build && bash app/none.sh --runs 2`", 1},
        {"a path in an indented block", "Run\n\n    bash app/none.sh\n", 1},
        {"build outputs and paths elsewhere", "`build/data/models/` and `src/gallium/lp_state_fs.c`", 0},
        {"names", "`Renderer::shadowVolumes`, `GL_STENCIL_TEST`, `\"time\"`", 0},
        {"a name cut short", "`Renderer::shadowVolume`", 1},
        {"a uniform misspelt", "`\"tim\"`", 1},
        {"a call as written", "`glStencilFunc(GL_ALWAYS, 0, 0xFF)`", 0},
        {"a call with other arguments", "`glStencilFunc(GL_ALWAYS, 1, 0xFF)`", 1},
        {"a name from elsewhere, linked", "Mesa's [`generate_fs_loop`](https://example.org/lp_state_fs.c)", 0},
        {"a name from elsewhere", "Mesa's `generate_fs_loop`", 1},
        {"a command and a console line across lines", "`ctest -L\ndocs` prints `Free Edges:0`", 0},
        {"an excerpt", fromScenePass + stencilSetUp, 0},
        {"an excerpt out of order", fromScenePass + swapped, 1},
        {"an excerpt from another file", "From [the water](../data/Water.frag.glsl):\n" + stencilSetUp, 1},
        {"an excerpt after no link", stencilSetUp, 1},
    };
    for (const auto& c : cases) {
        size_t findings = 0;
        const std::string listed = checked(tree, "docs/page.md", c.page, &findings);
        EXPECT_EQ(findings, c.findings) << c.name << ":" << listed;
    }
}
