#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>

// How long and how much memory a library may take over one piece of work in a child process
// before it counts as one that never ends.
struct ChildLimits {
    double seconds;      // wall-clock time for one part of the answer
    size_t memoryBytes;  // resident memory beyond what the program held when the child started
};

// One part of a child's answer, or why it did not come.
struct ChildPart {
    bool received = false;  // the part came
    std::string bytes;      // its bytes
    std::string fault;      // when the child ended before the part: why, in words (see ChildTask)
};

// How a task hands its answer back: a part at a time, each as soon as it is ready.
using AnswerWriter = std::function<void(const std::string& part)>;

// A task run where a fault of the library it calls cannot reach the program: a child process
// (fork) runs it on its copy of the program's memory and hands its answer back a part at a
// time, while the program waits for each part under limits. The child starts at construction
// and runs beside the program until its task comes back; a child still running when its
// ChildTask goes is ended.
//
// A part that does not come names the library that did the work the part stands for, the
// subject given to next(): "the image library died of signal 11", "... ran past 10 s", "... ran
// out of memory", "... ended its process with status 1" (a sanitizer's report in a sanitizer
// build). The parts before it stand, so a task that works through a list (files, say) shows on
// which item the fault struck.
//
// The child touches nothing but what its task touches: not the GL context or the X connection
// it shares with the program, and not the console (its standard output and error go nowhere).
// It ends with _exit, so that no exit handler of the process (the window library's, the leak
// checker's, a test framework's) runs in it. Its answer goes into a memory file, not a pipe, so
// that it never waits for the program to read it; a pipe only tells the program that a part
// is ready.
//
// Where there is no fork (Windows), the first call of next() runs the task in the program
// itself: a fault of its library ends the program.
class ChildTask {
public:
    explicit ChildTask(const std::function<void(const AnswerWriter&)>& task);
    ~ChildTask();
    ChildTask(ChildTask&& other) noexcept;
    ChildTask(const ChildTask&) = delete;
    ChildTask& operator=(const ChildTask&) = delete;
    ChildTask& operator=(ChildTask&&) = delete;

    // Waits for the next part of the answer. The time limit counts from the later of this
    // call and the arrival of the part before; past a limit the child is ended. The limits are
    // watched only while this call waits: a child that works ahead of the program is watched
    // once the program waits for it. Once the child has ended, the parts it left come first,
    // then every call answers with its end: the fault, or none when the task came back.
    ChildPart next(const std::string& subject, const ChildLimits& limits);

private:
    // The child's end as seen by the program: reaps it and keeps the fault (none when the
    // task came back).
    void endChild(const std::string& fault, const std::string& subject);

    std::function<void(const AnswerWriter&)> task;  // run by next() where there is no fork
    std::deque<std::string> partsRun;               // what it handed back there
    std::string startError;                         // why no child could be started
    std::string endFault;                           // why the child ended early, once it has
    bool cameBack = false;                          // the task came back in the child
    int child = -1;                                 // process id; -1 once it has ended
    int answerFile = -1;                            // the memory file the parts are written into
    int partReady = -1;  // read end of a pipe: a byte for each part written; end of file at the child's end
    size_t partsReady = 0;
    size_t partsTaken = 0;
    size_t answerTaken = 0;  // bytes of the answer file read so far
    size_t residentAtStart = 0;
    std::chrono::steady_clock::time_point lastArrival;
};
