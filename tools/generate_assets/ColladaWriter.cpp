#include "ColladaWriter.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace assets {

namespace {

// Enough digits that every float survives the round trip through text: corners meant to
// weld must read back bit-identical, and "%.9g" of one float is always the same text.
void writeFloat(std::ostringstream& out, float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value == 0.0f ? 0.0f : value);
    out << text;
}

void writeSource(std::ostringstream& out, const std::string& id, const std::vector<float>& values,
                 const char* const* params, int stride)
{
    out << "        <source id=\"" << id << "\">\n";
    out << "          <float_array id=\"" << id << "-array\" count=\"" << values.size() << "\">";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out << ' ';
        writeFloat(out, values[i]);
    }
    out << "</float_array>\n";
    out << "          <technique_common>\n";
    out << "            <accessor source=\"#" << id << "-array\" count=\"" << values.size() / stride << "\" stride=\""
        << stride << "\">\n";
    for (int i = 0; i < stride; ++i)
        out << "              <param name=\"" << params[i] << "\" type=\"float\"/>\n";
    out << "            </accessor>\n";
    out << "          </technique_common>\n";
    out << "        </source>\n";
}

void writeTextureParams(std::ostringstream& out, const std::string& slot)
{
    out << "        <newparam sid=\"" << slot << "-surface\">\n"
        << "          <surface type=\"2D\"><init_from>" << slot << "-image</init_from></surface>\n"
        << "        </newparam>\n"
        << "        <newparam sid=\"" << slot << "-sampler\">\n"
        << "          <sampler2D><source>" << slot << "-surface</source></sampler2D>\n"
        << "        </newparam>\n";
}

}  // namespace

bool writeCollada(const std::string& path, const std::string& modelName, const MeshData& mesh,
                  const MaterialDescription& material, const std::string& upAxis)
{
    std::vector<float> positions, normals, texCoords;
    for (const Vec3& p : mesh.positions) {
        positions.push_back(p.x);
        positions.push_back(p.y);
        positions.push_back(p.z);
    }
    for (const Triangle& t : mesh.triangles) {
        for (const Corner& c : t.corners) {
            normals.push_back(c.normal.x);
            normals.push_back(c.normal.y);
            normals.push_back(c.normal.z);
            texCoords.push_back(c.u);
            texCoords.push_back(c.v);
        }
    }

    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
        << "  <asset>\n"
        << "    <contributor><authoring_tool>okv_assets</authoring_tool></contributor>\n"
        << "    <unit name=\"meter\" meter=\"1\"/>\n"
        << "    <up_axis>" << upAxis << "</up_axis>\n"
        << "  </asset>\n"
        << "  <library_images>\n"
        << "    <image id=\"diffuse-image\" name=\"diffuse-image\"><init_from>" << material.diffuseFile
        << "</init_from></image>\n"
        << "    <image id=\"normal-image\" name=\"normal-image\"><init_from>" << material.normalFile
        << "</init_from></image>\n"
        << "  </library_images>\n"
        << "  <library_effects>\n"
        << "    <effect id=\"material-effect\">\n"
        << "      <profile_COMMON>\n";
    writeTextureParams(out, "diffuse");
    writeTextureParams(out, "normal");
    out << "        <technique sid=\"common\">\n"
        << "          <phong>\n"
        << "            <emission><color>0 0 0 1</color></emission>\n"
        << "            <ambient><color>0 0 0 1</color></ambient>\n"
        << "            <diffuse><texture texture=\"diffuse-sampler\" texcoord=\"UVMap\"/></diffuse>\n"
        << "            <specular><color>";
    writeFloat(out, material.specular);
    out << ' ';
    writeFloat(out, material.specular);
    out << ' ';
    writeFloat(out, material.specular);
    out << " 1</color></specular>\n"
        << "            <shininess><float>";
    writeFloat(out, material.shininess);
    out << "</float></shininess>\n"
        << "          </phong>\n"
        << "          <extra>\n"
        << "            <technique profile=\"FCOLLADA\">\n"
        << "              <bump><texture texture=\"normal-sampler\" texcoord=\"UVMap\"/></bump>\n"
        << "            </technique>\n"
        << "          </extra>\n"
        << "        </technique>\n"
        << "      </profile_COMMON>\n"
        << "    </effect>\n"
        << "  </library_effects>\n"
        << "  <library_materials>\n"
        << "    <material id=\"material\" name=\"" << material.name
        << "\"><instance_effect url=\"#material-effect\"/></material>\n"
        << "  </library_materials>\n"
        << "  <library_geometries>\n"
        << "    <geometry id=\"mesh\" name=\"" << modelName << "\">\n"
        << "      <mesh>\n";
    static const char* const xyz[] = {"X", "Y", "Z"};
    static const char* const st[] = {"S", "T"};
    writeSource(out, "mesh-positions", positions, xyz, 3);
    writeSource(out, "mesh-normals", normals, xyz, 3);
    writeSource(out, "mesh-texcoords", texCoords, st, 2);
    out << "        <vertices id=\"mesh-vertices\"><input semantic=\"POSITION\" "
           "source=\"#mesh-positions\"/></vertices>\n"
        << "        <triangles material=\"material-symbol\" count=\"" << mesh.triangles.size() << "\">\n"
        << "          <input semantic=\"VERTEX\" source=\"#mesh-vertices\" offset=\"0\"/>\n"
        << "          <input semantic=\"NORMAL\" source=\"#mesh-normals\" offset=\"1\"/>\n"
        << "          <input semantic=\"TEXCOORD\" source=\"#mesh-texcoords\" offset=\"2\" set=\"0\"/>\n"
        << "          <p>";
    // Normals and texture coordinates are stored per corner, so corner number i indexes both.
    uint32_t cornerNumber = 0;
    for (const Triangle& t : mesh.triangles) {
        for (const Corner& c : t.corners) {
            if (cornerNumber > 0)
                out << ' ';
            out << c.position << ' ' << cornerNumber << ' ' << cornerNumber;
            ++cornerNumber;
        }
    }
    out << "</p>\n"
        << "        </triangles>\n"
        << "      </mesh>\n"
        << "    </geometry>\n"
        << "  </library_geometries>\n"
        << "  <library_visual_scenes>\n"
        << "    <visual_scene id=\"scene\" name=\"scene\">\n"
        << "      <node id=\"node\" name=\"" << modelName << "\">\n"
        << "        <instance_geometry url=\"#mesh\">\n"
        << "          <bind_material><technique_common>\n"
        << "            <instance_material symbol=\"material-symbol\" target=\"#material\">\n"
        << "              <bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" input_set=\"0\"/>\n"
        << "            </instance_material>\n"
        << "          </technique_common></bind_material>\n"
        << "        </instance_geometry>\n"
        << "      </node>\n"
        << "    </visual_scene>\n"
        << "  </library_visual_scenes>\n"
        << "  <scene><instance_visual_scene url=\"#scene\"/></scene>\n"
        << "</COLLADA>\n";

    std::ofstream file(path, std::ios::binary);
    file << out.str();
    return static_cast<bool>(file);
}

}  // namespace assets
