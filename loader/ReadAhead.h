#pragma once

#include "loader/ChildTask.h"
#include "loader/DecodedImage.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

// The files of a scene, read ahead of the program by one child process (ChildTask.h) in the
// order the program takes them, each handed back as soon as it is read: image files decoded as
// the textures take them (DecodedImage.h), and models given the importer's first look
// (ImporterFault.h), each look followed by the textures that the model's materials name. One
// child for all of them costs a single fork, and it reads while the program does its own work.
//
// A file that ends the child (a fault of the importer or of the image library) is given that
// fault, and a new child reads the files after it. Files the program does not take (a cube
// map's faces after a bad one, a model it refuses) are passed over when it takes a later one.
class ReadAhead {
public:
    struct File {
        bool model;             // a model to look at, or else an image to decode
        std::string directory;  // a model's textures are named relative to it
        std::string name;
    };

    // Starts the child. importFlags are the importer's, imageLimits hold for each image.
    ReadAhead(const std::vector<File>& files, unsigned int importFlags, const ChildLimits& imageLimits);

    // The importer's first look at the model at path (directory + name), when it is among the
    // files still to come: the fault that ended it, or empty when the importer came back.
    std::optional<std::string> takeModelLook(const std::string& path);
    // The image decoded from path, when it is among the files still to come.
    std::optional<DecodedImage> takeImage(const std::string& path);

private:
    // The child's parts up to the one for the file wanted, which is returned; the others are
    // passed over. A new child starts after a part that did not come.
    std::optional<ChildPart> take(bool model, const std::string& path);
    // A child for the files still to come.
    void startReader();

    std::deque<File> toCome;  // the files the child has yet to hand back, in its order
    unsigned int importFlags;
    ChildLimits imageLimits;
    std::optional<ChildTask> reader;
};
