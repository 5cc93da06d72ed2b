#pragma once

// Small COLLADA 1.4.1 documents for the loader tests, so that every test model is visible in
// the test that uses it and passes through the real Assimp importer.

#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace collada {

struct Primitive {
    std::vector<int> p;    // one index per corner, shared by every input
    std::string material;  // a Material id, or empty for no binding
    bool lines;
    Primitive(std::vector<int> p, std::string material = "", bool lines = false)
        : p(std::move(p)), material(std::move(material)), lines(lines)
    {
    }
};

struct Material {
    std::string id;            // also its name
    std::string diffuseImage;  // relative path, or empty for a colour
    std::string normalImage;   // relative path placed as <bump>, or empty
    Material(std::string id, std::string diffuseImage = "", std::string normalImage = "")
        : id(std::move(id)), diffuseImage(std::move(diffuseImage)), normalImage(std::move(normalImage))
    {
    }
};

// One geometry shown by one node.
struct Document {
    std::vector<float> positions, normals, texCoords;  // normals and texCoords optional
    std::vector<Primitive> primitives;
    std::vector<Material> materials;
};

inline Document singleGeometry(const std::vector<float>& positions, const std::vector<int>& p)
{
    return Document{positions, {}, {}, {Primitive{p}}, {}};
}

template <typename T>
std::string join(const std::vector<T>& values)
{
    std::ostringstream out;
    out.precision(9);
    for (size_t i = 0; i < values.size(); ++i)
        out << (i ? " " : "") << values[i];
    return out.str();
}

inline std::string write(const Document& d)
{
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<COLLADA xmlns=\"http://www.collada.org/2005/11/"
           "COLLADASchema\" version=\"1.4.1\">\n<asset><unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis>"
           "</asset>\n<library_images>";
    for (const Material& m : d.materials)
        for (const auto& [kind, image] : {std::pair{"diffuse", m.diffuseImage}, {"normal", m.normalImage}})
            if (!image.empty())
                out << "<image id=\"" << m.id << kind << "\"><init_from>" << image << "</init_from></image>";
    out << "</library_images>\n<library_effects>";
    float tint = 0.0f;
    for (const Material& m : d.materials) {
        out << "<effect id=\"" << m.id << "-fx\"><profile_COMMON>";
        for (const auto& [kind, image] : {std::pair{"diffuse", m.diffuseImage}, {"normal", m.normalImage}})
            if (!image.empty())
                out << "<newparam sid=\"" << kind << "-surface\"><surface type=\"2D\"><init_from>" << m.id << kind
                    << "</init_from></surface></newparam><newparam sid=\"" << kind << "-sampler\"><sampler2D>"
                    << "<source>" << kind << "-surface</source></sampler2D></newparam>";
        out << "<technique sid=\"common\"><phong><diffuse>"
            << (m.diffuseImage.empty() ? "<color>0.5 0.5 0.5 1</color>"
                                       : "<texture texture=\"diffuse-sampler\" texcoord=\"UV\"/>")
            // Distinct specular colours, so that the importer merges no material as redundant.
            << "</diffuse><specular><color>" << (tint += 0.125f) << " 0 0 1</color></specular>"
            << "<shininess><float>20</float></shininess></phong>";
        // Assimp's COLLADA reader takes a <bump> texture in a technique extra as the normal map.
        if (!m.normalImage.empty())
            out << "<extra><technique profile=\"FCOLLADA\"><bump><texture texture=\"normal-sampler\" "
                   "texcoord=\"UV\"/></bump></technique></extra>";
        out << "</technique></profile_COMMON></effect>";
    }
    out << "</library_effects>\n<library_materials>";
    for (const Material& m : d.materials)
        out << "<material id=\"" << m.id << "\" name=\"" << m.id << "\"><instance_effect url=\"#" << m.id
            << "-fx\"/></material>";
    out << "</library_materials>\n<library_geometries><geometry id=\"shape\"><mesh>\n";
    std::string inputs = "<input semantic=\"VERTEX\" source=\"#vertices\" offset=\"0\"/>";
    for (const auto& [id, values, names] :
         {std::tuple{"positions", d.positions, "XYZ"}, {"normals", d.normals, "XYZ"}, {"uv", d.texCoords, "ST"}}) {
        if (values.empty())
            continue;
        const size_t stride = std::string(names).size();
        out << "<source id=\"" << id << "\"><float_array id=\"" << id << "-a\" count=\"" << values.size() << "\">"
            << join(values) << "</float_array><technique_common><accessor source=\"#" << id << "-a\" count=\""
            << values.size() / stride << "\" stride=\"" << stride << "\">";
        for (const char* name = names; *name; ++name)
            out << "<param name=\"" << *name << "\" type=\"float\"/>";
        out << "</accessor></technique_common></source>\n";
        if (id == std::string("normals"))
            inputs += "<input semantic=\"NORMAL\" source=\"#normals\" offset=\"0\"/>";
        if (id == std::string("uv"))
            inputs += "<input semantic=\"TEXCOORD\" source=\"#uv\" offset=\"0\" set=\"0\"/>";
    }
    out << "<vertices id=\"vertices\"><input semantic=\"POSITION\" source=\"#positions\"/></vertices>\n";
    for (const Primitive& primitive : d.primitives) {
        const char* element = primitive.lines ? "lines" : "triangles";
        out << "<" << element << " count=\"" << primitive.p.size() / (primitive.lines ? 2 : 3) << "\"";
        if (!primitive.material.empty())
            out << " material=\"" << primitive.material << "\"";
        out << ">" << inputs << "<p>" << join(primitive.p) << "</p></" << element << ">\n";
    }
    out << "</mesh></geometry></library_geometries>\n<library_visual_scenes><visual_scene id=\"scene\">"
           "<node id=\"node\"><instance_geometry url=\"#shape\"><bind_material><technique_common>";
    for (const Material& m : d.materials)
        out << "<instance_material symbol=\"" << m.id << "\" target=\"#" << m.id << "\"/>";
    out << "</technique_common></bind_material></instance_geometry></node></visual_scene>"
           "</library_visual_scenes>\n<scene><instance_visual_scene url=\"#scene\"/></scene></COLLADA>\n";
    return out.str();
}

}  // namespace collada
