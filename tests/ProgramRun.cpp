#include "ProgramRun.h"

#include "GLTestSupport.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::string uniqueFileName(const char* suffix)
{
    static int counter = 0;
    return "/tmp/okv-run-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + suffix;
}

}  // namespace

std::string commandOutput(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    pclose(pipe);
    return output;
}

void expectInOrder(const std::string& output, const std::vector<std::string>& lines)
{
    size_t from = 0;
    for (const std::string& line : lines) {
        const size_t at = output.find(line, from);
        EXPECT_NE(at, std::string::npos) << "missing, or out of order: \"" << line << "\" in\n" << output;
        if (at != std::string::npos)
            from = at + line.size();
    }
}

std::string screenGeometry()
{
    std::istringstream display(commandOutput("xdotool getdisplaygeometry"));
    int width = 0, height = 0;
    display >> width >> height;
    return std::to_string(width) + "x" + std::to_string(height);
}

ProgramRun::ProgramRun(const std::string& workingDirectory, const std::string& binary,
                       const std::vector<std::string>& environment)
    : outputFile(uniqueFileName(".out")), errorFile(uniqueFileName(".err"))
{
    std::fflush(stdout);
    std::fflush(stderr);
    pid = fork();
    if (pid == 0) {
        if (chdir(workingDirectory.c_str()) != 0)
            _exit(126);
        const int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        for (const std::string& setting : environment)
            putenv(const_cast<char*>(setting.c_str()));
        execlp(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
}

ProgramRun::~ProgramRun()
{
    if (running()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::remove(outputFile.c_str());
    std::remove(errorFile.c_str());
}

bool ProgramRun::running()
{
    if (pid <= 0 || exitStatus != -1)
        return false;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
        exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

bool ProgramRun::waitForOutput(const std::string& text, double seconds) const
{
    return waitForOutputAfter(0, text, seconds);
}

bool ProgramRun::waitForOutputAfter(size_t from, const std::string& text, double seconds) const
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        // Asked before reading, so that what an ended program wrote last is still read.
        const bool ended = !const_cast<ProgramRun*>(this)->running();
        const std::string output = standardOutput();
        if (output.size() > from && output.find(text, from) != std::string::npos)
            return true;
        if (ended)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool ProgramRun::waitForWindow(double seconds)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end && running()) {
        std::istringstream ids(commandOutput("xdotool search --name '^OKV$' 2>/dev/null"));
        if (ids >> window) {
            commandOutput("xdotool windowfocus " + window + " 2>/dev/null");
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void ProgramRun::pressKey(const std::string& keyName) const
{
    commandOutput("xdotool windowfocus " + window + " key " + keyName + " 2>/dev/null");
}

std::string ProgramRun::windowGeometry() const
{
    std::istringstream lines(commandOutput("xdotool getwindowgeometry " + window + " 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line)) {
        const auto at = line.find("Geometry: ");
        if (at != std::string::npos)
            return line.substr(at + 10);
    }
    return {};
}

bool ProgramRun::waitForGeometry(const std::string& geometry, double seconds) const
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        if (windowGeometry() == geometry)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool ProgramRun::showsAPicture() const
{
    for (int attempt = 0; attempt < 30; ++attempt) {
        const std::string pixels = commandOutput("import -window " + window + " -depth 8 rgb:- 2>/dev/null");
        std::set<uint32_t> colours;
        for (size_t at = 0; at + 2 < pixels.size(); at += 3)
            colours.insert(uint32_t(uint8_t(pixels[at])) << 16 | uint32_t(uint8_t(pixels[at + 1])) << 8 |
                           uint8_t(pixels[at + 2]));
        if (colours.size() > 16)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return false;
}

int ProgramRun::waitForExit(double seconds)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        if (!running())
            return exitStatus;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    exitStatus = -2;
    return -1;
}

std::string ProgramRun::standardOutput() const
{
    return readFile(outputFile);
}

std::string ProgramRun::standardError() const
{
    return readFile(errorFile);
}
