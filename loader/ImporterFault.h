#pragma once

#include "loader/ChildTask.h"

#include <assimp/Importer.hpp>
#include <cstddef>
#include <string>

// How long and how much memory the importer may take over one file before it counts as one that
// never ends. A sound model of a million triangles (a COLLADA file of 44 MB) imports in 4 s
// with 0.5 GB on the 2-core development machine, so these leave room for models several times
// that size; what runs past them is a fault of the importer (it reads one index list without
// end, say, filling memory with zeros until none is left).
using ImporterLimits = ChildLimits;
constexpr ImporterLimits importerLimits = {30.0, size_t(4) << 30};

// The importer's first look at a file, where a fault of the importer cannot reach the program:
// a child process (ChildTask.h) runs importer.ReadFile(path, flags) on its copy of the
// program's memory, under the limits, and the caller is told why the file must not be imported
// here: "the importer died of signal 11", "the importer ran past 30 s", "the importer ran out
// of memory", "the importer ended its process with status 1" (a sanitizer's report in a
// sanitizer build). An empty answer means that the child's ReadFile came back, with a scene or
// with the importer's refusal; the caller's own ReadFile of the same file with the same flags
// then does the same work and comes back too.
//
// The child does not log (the caller's own import writes the import log, so that each line
// stands in it once), and what it imports stays in the child: the caller's importer holds no
// scene from it.
//
// Where there is no fork (Windows) the answer is always empty, and nothing is imported twice:
// the text checks of ImporterHazard.h alone stand between a file and the importer, and a file
// that sets off an unknown fault of the importer ends the program.
std::string findImporterFault(Assimp::Importer& importer, const std::string& path, unsigned int flags,
                              const ImporterLimits& limits = importerLimits);
