// Tasks in child processes: their answers come back part by part, side by side with other
// children, and a child that does not come back is named with why, while the test process goes
// on untouched.

#include "GLTestSupport.h"

#include "loader/ChildTask.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const ChildLimits generous = {30.0, size_t(1) << 30};

struct Outcome {
    std::vector<std::string> parts;
    std::string fault;
    bool operator==(const Outcome& other) const { return parts == other.parts && fault == other.fault; }
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome)
{
    out << outcome.parts.size() << " parts, fault \"" << outcome.fault << "\"";
    return out;
}

// Every part until the child's end.
Outcome collect(ChildTask& task, const ChildLimits& limits)
{
    Outcome outcome;
    for (ChildPart part = task.next("the library", limits); part.received; part = task.next("the library", limits))
        outcome.parts.push_back(part.bytes);
    outcome.fault = task.next("the library", limits).fault;
    return outcome;
}

TEST(ChildTaskTest, PartsComeBackWholeAndAChildThatDoesNotComeBackIsNamedWithTheReason)
{
    // Entered, and with core files allowed as far as the system lets this process allow them:
    // a crash of the child leaves none in the working directory.
    const TemporaryDirectory directory("okv-test");
    const WorkingDirectory inside(directory.path());
    allowCoreFiles();

    // More than a pipe holds, with every byte value.
    std::string large(3 << 20, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = char(i * 7 + i / 251);
    struct Case {
        const char* name;
        ChildLimits limits;
        std::function<void(const AnswerWriter&)> task;
        Outcome expected;
    };
    const Case cases[] = {
        {"parts, one larger than a pipe holds",
         generous,
         [&](const AnswerWriter& answer) {
             answer("first");
             answer("");
             answer(large);
         },
         {{"first", "", large}, ""}},
        {"console lines",
         generous,
         [](const AnswerWriter& answer) {
             std::printf("from the child\n");
             std::fprintf(stderr, "from the child\n");
             std::fflush(nullptr);
             answer("quiet");
         },
         {{"quiet"}, ""}},
        {"a crash after a part",
         generous,
         [](const AnswerWriter& answer) {
             answer("before");
             std::raise(SIGSEGV);
         },
         {{"before"}, "the library died of signal 11"}},
        {"an abort", generous, [](const AnswerWriter&) { std::abort(); }, {{}, "the library died of signal 6"}},
        {"an end of its own",
         generous,
         [](const AnswerWriter&) { _exit(3); },
         {{}, "the library ended its process with status 3"}},
        {"a part without end",
         {0.3, generous.memoryBytes},
         [](const AnswerWriter& answer) {
             answer("before");
             for (volatile bool forever = true; forever;) {
             }
         },
         {{"before"}, "the library ran past 0.3 s"}},
        {"memory without end",
         {generous.seconds, size_t(64) << 20},
         [](const AnswerWriter&) {
             static std::vector<std::vector<char>> blocks;
             for (;;)
                 blocks.emplace_back(size_t(1) << 20, char(1));
         },
         {{}, "the library ran out of memory"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        ChildTask task(test.task);
        EXPECT_EQ(collect(task, test.limits), test.expected);
        EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(directory.path())) << "a core file";
}

TEST(ChildTaskTest, ChildrenRunSideBySideAndOneNeverWaitedForIsEnded)
{
    // The first child can come back only once the second has written to the pipe it reads.
    const TemporaryDirectory directory("okv-test");
    const std::string pipe = (directory.path() / "pipe").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ChildTask reader([&](const AnswerWriter& answer) {
        std::string line;
        std::getline(std::ifstream(pipe), line);
        answer(line);
    });
    ChildTask writer([&](const AnswerWriter& answer) {
        std::ofstream(pipe) << "from the writer\n";
        answer("written");
    });
    EXPECT_EQ(collect(reader, {5.0, generous.memoryBytes}), (Outcome{{"from the writer"}, ""}));
    EXPECT_EQ(collect(writer, generous), (Outcome{{"written"}, ""}));

    {
        ChildTask forever([](const AnswerWriter&) { pause(); });
    }
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a child left behind";
    EXPECT_EQ(errno, ECHILD);
}

}  // namespace
