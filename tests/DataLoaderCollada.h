#pragma once

// Writes small COLLADA 1.4.1 documents for the loader tests, so that every test model is
// visible in the test that uses it and passes through the real Assimp importer.

#include <sstream>
#include <string>
#include <vector>

namespace collada {

// One <triangles>, <lines> or <polylist> element. Every input of the geometry shares one
// index per corner, so p lists plain vertex numbers.
struct Primitive {
    std::string element = "triangles";  // "triangles", "lines" or "polylist"
    std::string materialSymbol;         // empty: no material binding
    std::vector<int> p;
    std::vector<int> vcount;            // polylist only
};

struct Geometry {
    std::string id;
    std::vector<float> positions;  // x y z per vertex
    std::vector<float> normals;    // optional, x y z per vertex
    std::vector<float> texCoords;  // optional, u v per vertex
    std::vector<Primitive> primitives;
};

struct Material {
    std::string id;
    std::string name;           // empty: no name attribute
    std::string diffuseImage;   // relative path, or empty for a diffuse colour
    std::string normalImage;    // relative path placed as <bump>, or empty
    float specular[3] = {0.0f, 0.0f, 0.0f};
    bool hasShininess = true;
    float shininess = 20.0f;
};

// One node instancing one geometry; children follow their parent in depth-first order.
struct Node {
    std::string geometryId;
    std::vector<std::pair<std::string, std::string>> bindings;  // symbol -> material id
    std::vector<Node> children;
};

struct Document {
    std::vector<Geometry> geometries;
    std::vector<Material> materials;
    std::vector<Node> nodes;
};

inline std::string floats(const std::vector<float>& values)
{
    std::ostringstream out;
    out.precision(9);
    for (size_t i = 0; i < values.size(); ++i)
        out << (i ? " " : "") << values[i];
    return out.str();
}

inline std::string ints(const std::vector<int>& values)
{
    std::ostringstream out;
    for (size_t i = 0; i < values.size(); ++i)
        out << (i ? " " : "") << values[i];
    return out.str();
}

inline std::string source(const std::string& id, const std::vector<float>& values, const std::string& names)
{
    const size_t stride = names.size();
    std::ostringstream out;
    out << "<source id=\"" << id << "\"><float_array id=\"" << id << "-a\" count=\"" << values.size() << "\">"
        << floats(values) << "</float_array><technique_common><accessor source=\"#" << id << "-a\" count=\""
        << values.size() / stride << "\" stride=\"" << stride << "\">";
    for (char name : names)
        out << "<param name=\"" << name << "\" type=\"float\"/>";
    out << "</accessor></technique_common></source>\n";
    return out.str();
}

inline void writeNode(std::ostringstream& out, const Node& node, int& counter)
{
    out << "<node id=\"node" << counter++ << "\">";
    if (!node.geometryId.empty()) {
        out << "<instance_geometry url=\"#" << node.geometryId << "\">";
        if (!node.bindings.empty()) {
            out << "<bind_material><technique_common>";
            for (const auto& binding : node.bindings)
                out << "<instance_material symbol=\"" << binding.first << "\" target=\"#" << binding.second
                    << "\"/>";
            out << "</technique_common></bind_material>";
        }
        out << "</instance_geometry>";
    }
    for (const Node& child : node.children)
        writeNode(out, child, counter);
    out << "</node>\n";
}

inline std::string write(const Document& document)
{
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis></asset>\n";

    out << "<library_images>";
    for (const Material& material : document.materials) {
        if (!material.diffuseImage.empty())
            out << "<image id=\"" << material.id << "-diffuse-image\"><init_from>" << material.diffuseImage
                << "</init_from></image>";
        if (!material.normalImage.empty())
            out << "<image id=\"" << material.id << "-normal-image\"><init_from>" << material.normalImage
                << "</init_from></image>";
    }
    out << "</library_images>\n<library_effects>";
    for (const Material& material : document.materials) {
        out << "<effect id=\"" << material.id << "-fx\"><profile_COMMON>";
        for (const char* kind : {"diffuse", "normal"}) {
            const std::string& image = std::string(kind) == "diffuse" ? material.diffuseImage : material.normalImage;
            if (image.empty())
                continue;
            out << "<newparam sid=\"" << kind << "-surface\"><surface type=\"2D\"><init_from>" << material.id << "-"
                << kind << "-image</init_from></surface></newparam><newparam sid=\"" << kind
                << "-sampler\"><sampler2D><source>" << kind << "-surface</source></sampler2D></newparam>";
        }
        out << "<technique sid=\"common\"><phong><diffuse>";
        if (material.diffuseImage.empty())
            out << "<color>0.5 0.5 0.5 1</color>";
        else
            out << "<texture texture=\"diffuse-sampler\" texcoord=\"UV\"/>";
        out << "</diffuse><specular><color>" << floats({material.specular[0], material.specular[1],
                                                          material.specular[2], 1.0f})
            << "</color></specular>";
        if (material.hasShininess)
            out << "<shininess><float>" << material.shininess << "</float></shininess>";
        out << "</phong>";
        // Assimp's COLLADA reader takes a <bump> texture in a technique extra as the normal map.
        if (!material.normalImage.empty())
            out << "<extra><technique profile=\"FCOLLADA\"><bump><texture texture=\"normal-sampler\" "
                   "texcoord=\"UV\"/></bump></technique></extra>";
        out << "</technique></profile_COMMON></effect>";
    }
    out << "</library_effects>\n<library_materials>";
    for (const Material& material : document.materials) {
        out << "<material id=\"" << material.id << "\"";
        if (!material.name.empty())
            out << " name=\"" << material.name << "\"";
        out << "><instance_effect url=\"#" << material.id << "-fx\"/></material>";
    }
    out << "</library_materials>\n<library_geometries>\n";
    for (const Geometry& geometry : document.geometries) {
        out << "<geometry id=\"" << geometry.id << "\"><mesh>\n"
            << source(geometry.id + "-positions", geometry.positions, "XYZ");
        if (!geometry.normals.empty())
            out << source(geometry.id + "-normals", geometry.normals, "XYZ");
        if (!geometry.texCoords.empty())
            out << source(geometry.id + "-uv", geometry.texCoords, "ST");
        out << "<vertices id=\"" << geometry.id << "-vertices\"><input semantic=\"POSITION\" source=\"#"
            << geometry.id << "-positions\"/></vertices>\n";
        for (const Primitive& primitive : geometry.primitives) {
            const size_t perFace = primitive.element == "lines" ? 2 : 3;
            const size_t count = primitive.element == "polylist" ? primitive.vcount.size() : primitive.p.size() / perFace;
            out << "<" << primitive.element << " count=\"" << count << "\"";
            if (!primitive.materialSymbol.empty())
                out << " material=\"" << primitive.materialSymbol << "\"";
            out << "><input semantic=\"VERTEX\" source=\"#" << geometry.id << "-vertices\" offset=\"0\"/>";
            if (!geometry.normals.empty())
                out << "<input semantic=\"NORMAL\" source=\"#" << geometry.id << "-normals\" offset=\"0\"/>";
            if (!geometry.texCoords.empty())
                out << "<input semantic=\"TEXCOORD\" source=\"#" << geometry.id << "-uv\" offset=\"0\" set=\"0\"/>";
            if (primitive.element == "polylist")
                out << "<vcount>" << ints(primitive.vcount) << "</vcount>";
            out << "<p>" << ints(primitive.p) << "</p></" << primitive.element << ">\n";
        }
        out << "</mesh></geometry>\n";
    }
    out << "</library_geometries>\n<library_visual_scenes><visual_scene id=\"scene\">\n";
    int counter = 0;
    for (const Node& node : document.nodes)
        writeNode(out, node, counter);
    out << "</visual_scene></library_visual_scenes>\n<scene><instance_visual_scene url=\"#scene\"/></scene>\n"
           "</COLLADA>\n";
    return out.str();
}

// A document with one geometry of plain triangles and one node showing it.
inline Document singleGeometry(const std::vector<float>& positions, const std::vector<int>& p)
{
    Document document;
    Geometry geometry;
    geometry.id = "shape";
    geometry.positions = positions;
    Primitive triangles;
    triangles.p = p;
    geometry.primitives.push_back(triangles);
    document.geometries.push_back(geometry);
    Node node;
    node.geometryId = "shape";
    document.nodes.push_back(node);
    return document;
}

} // namespace collada
