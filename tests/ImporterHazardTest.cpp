// The importer's known faults are found in a file's text before it is imported, and a sound
// file is left alone. Each case changes one thing in a small COLLADA document.

#include "DataLoaderCollada.h"

#include "loader/ImporterHazard.h"

#include <gtest/gtest.h>

namespace {

TEST(ImporterHazardTest, EachKnownFaultOfTheImporterIsFoundAndASoundFileLeftAlone)
{
    const std::string document = collada::write(collada::singleGeometry({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}));
    struct Case {
        const char* name;
        std::string from, to;  // the change
        std::string hazard;    // a part of the reason given; empty: none
    };
    const Case cases[] = {
        {"as written", "", "", ""},
        {"a letter in an index list", "<p>0 1 2</p>", "<p>0 1 x 2</p>", "index list"},
        {"markup in an index list", "<p>0 1 2</p>", "<p>0 1 <!-- two -->2</p>", "index list"},
        {"an index list in a comment", "</COLLADA>", "<!-- <p>see x</p> --></COLLADA>", ""},
        {"an array claiming more values than the file could hold", "count=\"9\">", "count=\"4000000000\">",
         "claims more"},
        {"more triangles than the file could hold", "<triangles count=\"1\"", "<triangles count=\"4000000000\"",
         "claims more"},
        {"a polygon of more corners than the file could hold", "<p>", "<vcount>4000000000</vcount><p>", "claims more"},
        {"an array cut short (the importer reports that itself)", "1 0 0 0 1 0<", "1 0<", ""},
        // CVE-2022-45748: the array keeps the three values its count names, and the accessor
        // reads nine.
        {"an array counting fewer values than it holds", "count=\"9\">", "count=\"3\">", "reaches past"},
        {"an accessor longer than its array", "count=\"3\" stride", "count=\"4\" stride", "reaches past"},
        {"an accessor starting late", "stride=\"3\"", "stride=\"3\" offset=\"1\"", "reaches past"},
        {"an accessor of matrices", "<param name=\"X\" type=\"float\"/>", "<param name=\"M\" type=\"float4x4\"/>",
         "reaches past"},
        {"a count in hexadecimal", "count=\"9\">", "count=\"0x9\">", "not a plain number"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::string changed = document;
        if (!test.from.empty()) {
            const size_t at = changed.find(test.from);
            ASSERT_NE(at, std::string::npos);
            changed.replace(at, test.from.size(), test.to);
        }
        const std::string hazard = findImporterHazard(changed);
        if (test.hazard.empty())
            EXPECT_EQ(hazard, "");
        else
            EXPECT_NE(hazard.find(test.hazard), std::string::npos) << hazard;
    }
}

}  // namespace
