// okv_compare_frames REFERENCE_DIRECTORY OTHER_DIRECTORY FRAME...
//
// Compares frames of the same names, written by the capture tool in two places (the Windows
// build under Wine against the Linux build: scripts/windows.sh), as the softpipe test compares
// the second rasteriser's. Prints each frame's figures; exits 1 when a frame is missing, has
// another size, or differs more than another conforming implementation may.

#include "FrameComparison.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s REFERENCE_DIRECTORY OTHER_DIRECTORY FRAME...\n", argv[0]);
        return 2;
    }
    const std::filesystem::path referenceDirectory = argv[1], otherDirectory = argv[2];
    int failures = 0;
    for (int i = 3; i < argc; ++i) {
        const Picture reference = loadPicture((referenceDirectory / argv[i]).string());
        const Picture other = loadPicture((otherDirectory / argv[i]).string());
        if (reference.rgb.empty() || other.width != reference.width || other.height != reference.height) {
            std::printf("%s: missing, or %dx%d against %dx%d: not compared\n", argv[i], other.width, other.height,
                        reference.width, reference.height);
            ++failures;
            continue;
        }
        const FrameDifference difference = compareFrames(reference, other);
        const bool within = withinImplementationDifferences(difference);
        std::printf("%s: of %d pixels %d differ at all, %d by more than %d levels (%.2f%%), %d of those off "
                    "edges: %s\n",
                    argv[i], difference.pixels, difference.unequal, difference.differing, frameTolerance,
                    100.0 * difference.differing / difference.pixels, difference.differingOffEdges,
                    within ? "as another implementation may" : "more than another implementation may");
        if (!within)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
