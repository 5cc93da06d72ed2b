#include "loader/ReadAhead.h"

#include "loader/ImporterFault.h"
#include "loader/ImporterHazard.h"

#include <algorithm>
#include <assimp/DefaultLogger.hpp>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::string pathOf(const ReadAhead::File& file)
{
    return file.directory + file.name;
}

// The textures that the scene's materials name, as DataLoader::loadMaterials asks for them
// (each material's diffuse texture, then its normal map), each ended by a zero byte.
std::string texturesNamedIn(const aiScene* scene)
{
    std::string names;
    for (unsigned int i = 0; scene != nullptr && i < scene->mNumMaterials; ++i)
        for (const aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_NORMALS}) {
            aiString name;
            if (aiGetMaterialTexture(scene->mMaterials[i], type, 0, &name) == AI_SUCCESS)
                names.append(name.C_Str()).push_back('\0');
        }
    return names;
}

std::vector<std::string> splitNames(const std::string& names)
{
    std::vector<std::string> list;
    std::istringstream text(names);
    for (std::string name; std::getline(text, name, '\0');)
        list.push_back(name);
    return list;
}

// The child's work: every file in turn, each image decoded, each model given the importer's
// first look and then its textures decoded.
void readFiles(const std::vector<ReadAhead::File>& files, unsigned int importFlags, const AnswerWriter& answer)
{
    // The program's own imports write the import log; the child's looks stay out of it.
    Assimp::DefaultLogger::set(nullptr);
    for (const ReadAhead::File& file : files) {
        if (!file.model) {
            answer(toAnswerPart(decodeImage(pathOf(file))));
            continue;
        }
        // A file with a known fault of the importer is not imported here either: the program
        // refuses it and never takes its look.
        std::ifstream text(pathOf(file), std::ios::binary);
        if (!findImporterHazard({std::istreambuf_iterator<char>(text), {}}).empty()) {
            answer({});
            continue;
        }
        Assimp::Importer importer;
        const std::string textures = texturesNamedIn(importer.ReadFile(pathOf(file), importFlags));
        answer(textures);
        for (const std::string& texture : splitNames(textures))
            answer(toAnswerPart(decodeImage(file.directory + texture)));
    }
}

}  // namespace

ReadAhead::ReadAhead(const std::vector<File>& files, unsigned int importFlags, const ChildLimits& imageLimits)
    : toCome(files.begin(), files.end()), importFlags(importFlags), imageLimits(imageLimits)
{
    startReader();
}

void ReadAhead::startReader()
{
    reader.reset();
    if (toCome.empty())
        return;
    reader.emplace([files = std::vector<File>(toCome.begin(), toCome.end()),
                    flags = importFlags](const AnswerWriter& answer) { readFiles(files, flags, answer); });
}

std::optional<ChildPart> ReadAhead::take(bool model, const std::string& path)
{
    const auto isWanted = [&](const File& file) { return file.model == model && pathOf(file) == path; };
    if (std::none_of(toCome.begin(), toCome.end(), isWanted))
        return std::nullopt;
    for (;;) {
        const File file = toCome.front();
        toCome.pop_front();
        const ChildPart part =
            file.model ? reader->next("the importer", importerLimits) : reader->next("the image library", imageLimits);
        if (part.received && file.model) {
            // The child decodes the textures the look named right after it.
            const std::vector<std::string> textures = splitNames(part.bytes);
            for (auto texture = textures.rbegin(); texture != textures.rend(); ++texture)
                toCome.push_front({false, file.directory, *texture});
        }
        if (!part.received)
            startReader();
        if (isWanted(file))
            return part.received || !part.fault.empty() ? std::optional<ChildPart>(part) : std::nullopt;
    }
}

std::optional<std::string> ReadAhead::takeModelLook(const std::string& path)
{
    const std::optional<ChildPart> part = take(true, path);
    if (!part)
        return std::nullopt;
    return part->fault;
}

std::optional<DecodedImage> ReadAhead::takeImage(const std::string& path)
{
    const std::optional<ChildPart> part = take(false, path);
    if (!part)
        return std::nullopt;
    return fromChildPart(*part);
}
