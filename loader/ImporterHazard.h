#pragma once

#include <string>

// Faults of the importer (Assimp 5.2.5, as Debian 12 ships it) that a model file sets off
// before any of this program's code sees a scene, found by the import fuzzer or known from
// Assimp's advisories. None of them is fixed by looking at the imported scene afterwards, so
// the loader looks for them in the file's text first and does not import a file that has one.
// The child process that imports every file first (ImporterFault.h) would contain them too;
// each check stays for a reason of its own:
// - an index list (<p>) with a character that is neither digit, sign nor space: the importer
//   reads such a list until its end, but never gets past that character, and fills memory
//   with zeros until none is left. The child would reach its memory limit only after 17 s
//   (on the 2-core development machine); the text shows it at once;
// - a count larger than the whole file (of a data array's values, of primitives, of the
//   corners in <vcount>): the importer first reserves room for all of them, up to tens of GiB.
//   A plain build refuses such a file at once, but in a sanitizer build the reservation ends
//   the child through the sanitizer's report, or takes seconds and GiBs before the importer
//   refuses the file, and again in the program's own import, which repeats a refusal (7 s and
//   2 GB each for an array that claims 4 billion values);
// - an accessor that reaches past the end of its data array (CVE-2022-45748 and its like,
//   where the array's count is smaller than the values it holds): the importer reads beyond
//   the array without checking. That crashes nothing: the child comes back, and the program's
//   own import would read there too;
// - a count, offset or stride of those that is not a plain decimal number, which the checks
//   above could not judge.
// The checks read the text as the importer's XML reader does in every well-formed file; where
// a file is odd (markup inside an index list, an entity in a count), they refuse it rather
// than guess.
//
// Returns what makes the document unsafe to import, or an empty string.
std::string findImporterHazard(const std::string& document);
