#include "loader/ImporterFault.h"

#ifdef _WIN32

std::string findImporterFault(Assimp::Importer& /*importer*/, const std::string& /*path*/, unsigned int /*flags*/,
                              const ImporterLimits& /*limits*/)
{
    return {};
}

#else

#include <assimp/DefaultLogger.hpp>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// How often the waiting program looks at the child's time and memory; the child's end wakes it
// at once.
constexpr int checkMilliseconds = 10;

// Resident memory of a process from its /proc/PID/statm, in bytes; 0 when it cannot be read.
// Plain system calls and a buffer on the stack: between the fork and the caller's own import
// nothing may allocate, so that the caller's import starts from the heap that the child's
// started from.
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

[[noreturn]] void importInChild(Assimp::Importer& importer, const std::string& path, unsigned int flags,
                                int verdictPipe)
{
    // A crash must end the child by its own signal: the handlers this process installed (the
    // sanitizers', a fuzzer's) would turn it into a report of their own.
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(signal, SIG_DFL);
    // Nor may it leave a core file in the data directory: the program writes no file but the
    // import log.
    const rlimit noCoreFile = {0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);
    // The console is the program's: the importer's assertion messages, and in a sanitizer
    // build the sanitizer's report, go nowhere.
    const int nowhere = open("/dev/null", O_WRONLY);
    dup2(nowhere, STDOUT_FILENO);
    dup2(nowhere, STDERR_FILENO);
    // Otherwise every line of the import would stand in the log twice, the child's and the
    // caller's.
    Assimp::DefaultLogger::set(nullptr);

    importer.ReadFile(path, flags);
    const char cameBack = 1;
    _exit(write(verdictPipe, &cameBack, 1) == 1 ? 0 : 1);
}

std::string describeEnd(int status)
{
    if (WIFSIGNALED(status))
        return "the importer died of signal " + std::to_string(WTERMSIG(status));
    return "the importer ended its process with status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

std::string findImporterFault(Assimp::Importer& importer, const std::string& path, unsigned int flags,
                              const ImporterLimits& limits)
{
    int verdict[2];
    if (pipe(verdict) != 0)
        return std::string("no process could be started for the importer: ") + std::strerror(errno);
    const size_t residentAtStart = residentBytes("/proc/self/statm");
    const pid_t child = fork();
    if (child < 0) {
        const int forkError = errno;
        close(verdict[0]);
        close(verdict[1]);
        return std::string("no process could be started for the importer: ") + std::strerror(forkError);
    }
    if (child == 0) {
        close(verdict[0]);
        importInChild(importer, path, flags, verdict[1]);
    }
    close(verdict[1]);

    char statmPath[64];
    std::snprintf(statmPath, sizeof statmPath, "/proc/%d/statm", int(child));
    const auto start = std::chrono::steady_clock::now();
    enum class End { CameBack, Ended, RanPastTime, RanOutOfMemory } end = End::Ended;
    for (;;) {
        pollfd answer = {verdict[0], POLLIN, 0};
        if (poll(&answer, 1, checkMilliseconds) > 0) {
            // Nothing to read: the child ended before its ReadFile came back.
            char cameBack = 0;
            end = read(verdict[0], &cameBack, 1) == 1 ? End::CameBack : End::Ended;
            break;
        }
        if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > limits.seconds) {
            end = End::RanPastTime;
            break;
        }
        if (residentBytes(statmPath) > residentAtStart + limits.memoryBytes) {
            end = End::RanOutOfMemory;
            break;
        }
    }
    close(verdict[0]);
    if (end == End::RanPastTime || end == End::RanOutOfMemory)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    switch (end) {
    case End::CameBack:
        return {};
    case End::RanPastTime: {
        std::ostringstream text;
        text << "the importer ran past " << limits.seconds << " s";
        return text.str();
    }
    case End::RanOutOfMemory:
        return "the importer ran out of memory";
    case End::Ended:
        break;
    }
    return describeEnd(status);
}

#endif
