#pragma once

#include <assimp/Importer.hpp>
#include <cstddef>
#include <string>

// How long and how much memory the importer may take over one file before it counts as one that
// never ends. A sound model of a million triangles (a COLLADA file of 44 MB) imports in 4 s
// with 0.5 GB on the 2-core development machine, so these leave room for models several times
// that size; what runs past them is a fault of the importer (it reads one index list without
// end, say, filling memory with zeros until none is left).
struct ImporterLimits {
    double seconds;      // wall-clock time
    size_t memoryBytes;  // resident memory beyond what the program held when the import began
};
constexpr ImporterLimits importerLimits = {30.0, size_t(4) << 30};

// The importer's first look at a file, where a fault of the importer cannot reach the program:
// a child process (fork) runs importer.ReadFile(path, flags) on its copy of the program's
// memory, under the limits, and the caller is told why the file must not be imported here:
// "the importer died of signal 11", "the importer ran past 30 s", "the importer ran out of
// memory", "the importer ended its process with status 1" (a sanitizer's report in a
// sanitizer build). An empty answer means that the child's ReadFile came back, with a scene
// or with the importer's refusal; the caller's own ReadFile then does the same work from the
// same start and comes back too.
//
// The child touches nothing but the importer: not the GL context or the X connection it shares
// with the program, not the console (its standard output and error go nowhere) and not the
// import log (the caller's own import writes that). It ends with _exit, so that no exit handler
// of the process (the window library's, the leak checker's, a test framework's) runs in it.
//
// Where there is no fork (Windows) the answer is always empty: the text checks of
// ImporterHazard.h alone stand between a file and the importer, and a file that sets off an
// unknown fault of the importer ends the program.
std::string findImporterFault(Assimp::Importer& importer, const std::string& path, unsigned int flags,
                              const ImporterLimits& limits = importerLimits);
