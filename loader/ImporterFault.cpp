#include "loader/ImporterFault.h"

#include <assimp/DefaultLogger.hpp>

#ifdef _WIN32

std::string findImporterFault(Assimp::Importer& /*importer*/, const std::string& /*path*/, unsigned int /*flags*/,
                              const ImporterLimits& /*limits*/)
{
    return {};
}

#else

std::string findImporterFault(Assimp::Importer& importer, const std::string& path, unsigned int flags,
                              const ImporterLimits& limits)
{
    ChildTask look([&importer, &path, flags](const AnswerWriter& answer) {
        // Otherwise every line of the import would stand in the log twice, the child's and the
        // caller's.
        Assimp::DefaultLogger::set(nullptr);
        importer.ReadFile(path, flags);
        answer({});
    });
    return look.next("the importer", limits).fault;
}

#endif
