#include "ProcessFigures.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX  // keeps min and max from becoming macros
#endif
#include <io.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <psapi.h>
#else
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

// FILETIME counts 100-nanosecond steps.
double milliseconds(const FILETIME& time)
{
    return double((ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime) * 1e-4;
}

}  // namespace

const char* const nullDevice = "NUL";

double processCpuMilliseconds()
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
        return 0.0;
    return milliseconds(kernel) + milliseconds(user);
}

double peakResidentMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0.0;
    return double(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

double secondsSinceProcessStart()
{
    FILETIME created, ended, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
        return 0.0;
    GetSystemTimeAsFileTime(&now);
    return (milliseconds(now) - milliseconds(created)) / 1000.0;
}

#else

const char* const nullDevice = "/dev/null";

double processCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) * 1e-6;
}

double peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

double secondsSinceProcessStart()
{
    // The start, in clock ticks since boot, is field 22 of /proc/self/stat; the fields are
    // counted after the command name, which is in parentheses and may hold spaces.
    std::ifstream statFile("/proc/self/stat");
    const std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long startTicks = 0;
    for (int number = 3; fields >> field; ++number)
        if (number == 22) {
            startTicks = std::stoull(field);
            break;
        }
    std::ifstream uptimeFile("/proc/uptime");
    double uptime = 0;
    uptimeFile >> uptime;
    return uptime - double(startTicks) / double(sysconf(_SC_CLK_TCK));
}

#endif

FILE* keepConsole()
{
    std::fflush(stdout);
#ifdef _WIN32
    FILE* console = _fdopen(_dup(_fileno(stdout)), "w");
#else
    FILE* console = fdopen(dup(fileno(stdout)), "w");
#endif
    // Unbuffered, so that each figure shows as soon as it is measured: Windows has no line
    // buffering.
    std::setvbuf(console, nullptr, _IONBF, 0);
    return console;
}
