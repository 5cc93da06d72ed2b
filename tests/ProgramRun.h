#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The real program started in a working directory on the current display, with its
// standard output and error captured in files. Killed at the end of the test if still running.
// The binary is a path, or a bare name that is looked up on PATH as a shell does.
class ProgramRun {
public:
    // environment: "NAME=value" settings added to the program's environment alone.
    explicit ProgramRun(const std::string& workingDirectory, const std::string& binary = OKV_BINARY,
                        const std::vector<std::string>& environment = {});
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Waits until standard output contains text; false on timeout or when the program ended.
    bool waitForOutput(const std::string& text, double seconds) const;
    // The same, for text that appears after the first `from` bytes of standard output: an
    // answer to something done once those bytes were there.
    bool waitForOutputAfter(size_t from, const std::string& text, double seconds) const;
    // Waits for the window titled "OKV" and gives it the keyboard focus. Program tests run
    // alone (RUN_SERIAL), so no other test's window can be mistaken for it.
    bool waitForWindow(double seconds);
    // Presses and releases a key in the window, by X key name ("a", "F", "Escape").
    void pressKey(const std::string& keyName) const;
    // The window's size as the X server reports it, as "WIDTHxHEIGHT".
    std::string windowGeometry() const;
    // Waits until the window has the given size; resizing happens in the program's main loop.
    bool waitForGeometry(const std::string& geometry, double seconds) const;
    // Whether the window shows a frame of the scene, which has many colours, rather than the
    // one colour of a window nobody draws in; looks again for up to 15 seconds.
    bool showsAPicture() const;
    // The exit status, or -1 when the program was still running after the timeout (it is
    // then killed).
    int waitForExit(double seconds);
    bool running();

    std::string standardOutput() const;
    std::string standardError() const;
    const std::string& windowId() const { return window; }

private:
    pid_t pid = -1;
    int exitStatus = -1;
    std::string outputFile;
    std::string errorFile;
    std::string window;
};

// Runs a shell command and returns what it printed on standard output.
std::string commandOutput(const std::string& command);

// The size of the X screen, as "WIDTHxHEIGHT": a full-screen window's geometry.
std::string screenGeometry();

// Expects standard output to hold these lines (or parts of lines) in this order.
void expectInOrder(const std::string& output, const std::vector<std::string>& lines);
