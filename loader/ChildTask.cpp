#include "loader/ChildTask.h"

#include <algorithm>
#include <sstream>
#include <utility>

#ifdef _WIN32

ChildTask::ChildTask(const std::function<void(const AnswerWriter&)>& task) : task(task) {}

ChildTask::~ChildTask() = default;

ChildTask::ChildTask(ChildTask&& other) noexcept = default;

ChildPart ChildTask::next(const std::string& /*subject*/, const ChildLimits& /*limits*/)
{
    if (task) {
        task([this](const std::string& part) { partsRun.push_back(part); });
        task = nullptr;
    }
    ChildPart part;
    if (!partsRun.empty()) {
        part = {true, std::move(partsRun.front()), {}};
        partsRun.pop_front();
    }
    return part;
}

#else

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What the child writes on the pipe: a byte for each part, and one when its task has come back.
constexpr char partWritten = 1;
constexpr char taskCameBack = 2;

// How often the waiting program looks at the child's time and memory; a part or the child's
// end wakes it at once.
constexpr int checkMilliseconds = 10;

// Resident memory of a process from its /proc/PID/statm, in bytes; 0 when it cannot be read.
size_t residentBytes(const char* statmPath)
{
    const int file = open(statmPath, O_RDONLY);
    if (file < 0)
        return 0;
    char text[128];
    const ssize_t length = read(file, text, sizeof text - 1);
    close(file);
    if (length <= 0)
        return 0;
    text[length] = '\0';
    unsigned long long sizePages = 0, residentPages = 0;
    if (std::sscanf(text, "%llu %llu", &sizePages, &residentPages) != 2)
        return 0;
    return size_t(residentPages) * size_t(sysconf(_SC_PAGESIZE));
}

bool writeAll(int file, const void* bytes, size_t size)
{
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t written = write(file, at, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        size -= size_t(written);
    }
    return true;
}

bool readAll(int file, void* bytes, size_t size, size_t offset)
{
    char* at = static_cast<char*>(bytes);
    while (size > 0) {
        const ssize_t got = pread(file, at, size, off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        at += got;
        offset += size_t(got);
        size -= size_t(got);
    }
    return true;
}

[[noreturn]] void runInChild(const std::function<void(const AnswerWriter&)>& task, int answerFile, int partReady)
{
    // A crash must end the child by its own signal: the handlers this process installed (the
    // sanitizers', a fuzzer's) would turn it into a report of their own.
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(signal, SIG_DFL);
    // Nor may it leave a core file in the data directory: the program writes no file but the
    // import log.
    const rlimit noCoreFile = {0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);
    // The console is the program's: the library's assertion messages, and in a sanitizer build
    // the sanitizer's report, go nowhere.
    const int nowhere = open("/dev/null", O_WRONLY);
    dup2(nowhere, STDOUT_FILENO);
    dup2(nowhere, STDERR_FILENO);

    // Each part: its length, its bytes, then a byte on the pipe once it is whole.
    task([answerFile, partReady](const std::string& part) {
        const uint64_t length = part.size();
        if (!writeAll(answerFile, &length, sizeof length) || !writeAll(answerFile, part.data(), part.size()) ||
            !writeAll(partReady, &partWritten, 1))
            _exit(1);
    });
    _exit(writeAll(partReady, &taskCameBack, 1) ? 0 : 1);
}

std::string describeEnd(const std::string& subject, int status)
{
    if (WIFSIGNALED(status))
        return subject + " died of signal " + std::to_string(WTERMSIG(status));
    return subject + " ended its process with status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

ChildTask::ChildTask(const std::function<void(const AnswerWriter&)>& task)
{
    int pipeEnds[2] = {-1, -1};
    answerFile = memfd_create("okv-child-answer", MFD_CLOEXEC);
    if (answerFile < 0 || pipe(pipeEnds) != 0) {
        startError = std::strerror(errno);
        return;
    }
    residentAtStart = residentBytes("/proc/self/statm");
    lastArrival = std::chrono::steady_clock::now();
    child = fork();
    if (child < 0) {
        startError = std::strerror(errno);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return;
    }
    if (child == 0) {
        close(pipeEnds[0]);
        runInChild(task, answerFile, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    partReady = pipeEnds[0];
}

ChildTask::ChildTask(ChildTask&& other) noexcept
    : startError(std::move(other.startError)), endFault(std::move(other.endFault)), cameBack(other.cameBack),
      child(std::exchange(other.child, -1)), answerFile(std::exchange(other.answerFile, -1)),
      partReady(std::exchange(other.partReady, -1)), partsReady(other.partsReady), partsTaken(other.partsTaken),
      answerTaken(other.answerTaken), residentAtStart(other.residentAtStart), lastArrival(other.lastArrival)
{
}

ChildTask::~ChildTask()
{
    if (child > 0) {
        kill(child, SIGKILL);
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    for (const int file : {answerFile, partReady})
        if (file >= 0)
            close(file);
}

void ChildTask::endChild(const std::string& fault, const std::string& subject)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    child = -1;
    if (!fault.empty())
        endFault = fault;
    else if (!cameBack)
        endFault = describeEnd(subject, status);
}

ChildPart ChildTask::next(const std::string& subject, const ChildLimits& limits)
{
    char statmPath[64];
    std::snprintf(statmPath, sizeof statmPath, "/proc/%d/statm", child);
    const auto waitStart = std::chrono::steady_clock::now();
    for (;;) {
        if (partsReady > partsTaken) {
            uint64_t length = 0;
            ChildPart part;
            if (readAll(answerFile, &length, sizeof length, answerTaken)) {
                part.bytes.resize(size_t(length));
                part.received = readAll(answerFile, &part.bytes[0], part.bytes.size(), answerTaken + sizeof length);
            }
            answerTaken += sizeof length + size_t(length);
            ++partsTaken;
            return part;
        }
        if (!startError.empty())
            return {false, {}, "no process could be started for " + subject + ": " + startError};
        if (child < 0)
            return {false, {}, endFault};

        pollfd ready = {partReady, POLLIN, 0};
        if (poll(&ready, 1, checkMilliseconds) > 0) {
            char signals[64];
            const ssize_t count = read(partReady, signals, sizeof signals);
            if (count > 0) {
                for (ssize_t i = 0; i < count; ++i) {
                    partsReady += signals[i] == partWritten;
                    cameBack = cameBack || signals[i] == taskCameBack;
                }
                lastArrival = std::chrono::steady_clock::now();
            } else if (count == 0) {
                // End of file: the child has ended, and every part it finished is counted.
                endChild({}, subject);
            }
            continue;
        }
        const auto now = std::chrono::steady_clock::now();
        if (std::chrono::duration<double>(now - std::max(waitStart, lastArrival)).count() > limits.seconds) {
            kill(child, SIGKILL);
            std::ostringstream text;
            text << subject << " ran past " << limits.seconds << " s";
            endChild(text.str(), subject);
        } else if (residentBytes(statmPath) > residentAtStart + limits.memoryBytes) {
            kill(child, SIGKILL);
            endChild(subject + " ran out of memory", subject);
        }
    }
}

#endif
