#include "Collada.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

namespace collada {

uint32_t Mesh::triangleCount() const
{
    uint32_t count = 0;
    for (const TriangleGroup& group : groups) {
        count += static_cast<uint32_t>(group.indices.size() / 3);
    }
    return count;
}

int Document::addMaterial(Material material)
{
    materials.push_back(std::move(material));
    return static_cast<int>(materials.size()) - 1;
}

int Document::addMesh(Mesh mesh)
{
    meshes.push_back(std::move(mesh));
    return static_cast<int>(meshes.size()) - 1;
}

int Document::addLight(Light light)
{
    lights.push_back(std::move(light));
    return static_cast<int>(lights.size()) - 1;
}

int Document::addCamera(Camera camera)
{
    cameras.push_back(std::move(camera));
    return static_cast<int>(cameras.size()) - 1;
}

std::string formatNumber(double value)
{
    // Round to six decimals first so that values that differ only in float
    // noise (0.30000001 and 0.3) print the same.
    double rounded = std::round(value * 1e6) / 1e6;
    if (rounded == 0.0) {
        return "0";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", rounded);
    std::string result(text);
    while (!result.empty() && result.back() == '0') {
        result.pop_back();
    }
    if (!result.empty() && result.back() == '.') {
        result.pop_back();
    }
    return result;
}

namespace {

// Image ids and effect parameter names derive from the file name, so they
// stay the same however the documents around them change.
std::string imageId(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    std::string id = "image_";
    for (char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        id += plain ? c : '_';
    }
    return id;
}

std::string xmlEscape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

class Writer {
public:
    explicit Writer(const Document& document) : doc(document) {}

    std::string run()
    {
        line(0, "<?xml version=\"1.0\" encoding=\"utf-8\"?>");
        line(0, "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">");
        asset();
        cameras();
        lights();
        images();
        effects();
        materials();
        geometries();
        animations();
        visualScene();
        line(1, "<scene>");
        line(2, "<instance_visual_scene url=\"#Scene\"/>");
        line(1, "</scene>");
        line(0, "</COLLADA>");
        return out.str();
    }

private:
    void line(int depth, const std::string& text)
    {
        for (int i = 0; i < depth; ++i) {
            out << "  ";
        }
        out << text << '\n';
    }

    static std::string numbers(const float* values, size_t count)
    {
        std::string text;
        for (size_t i = 0; i < count; ++i) {
            if (i > 0) {
                text += ' ';
            }
            text += formatNumber(values[i]);
        }
        return text;
    }

    static std::string vec3Text(const glm::vec3& v) { return numbers(&v.x, 3); }
    static std::string vec4Text(const glm::vec4& v) { return numbers(&v.x, 4); }

    void asset()
    {
        line(1, "<asset>");
        line(2, "<contributor>");
        line(3, "<authoring_tool>Quarrystack makelevel</authoring_tool>");
        line(2, "</contributor>");
        // Fixed dates: the files are regenerated and compared byte for byte.
        line(2, "<created>2024-01-01T00:00:00Z</created>");
        line(2, "<modified>2024-01-01T00:00:00Z</modified>");
        if (!doc.subject.empty())
            line(2, "<subject>" + doc.subject + "</subject>");
        line(2, "<unit name=\"meter\" meter=\"1\"/>");
        line(2, "<up_axis>Y_UP</up_axis>");
        line(1, "</asset>");
    }

    void cameras()
    {
        if (doc.cameras.empty()) {
            return;
        }
        line(1, "<library_cameras>");
        for (const Camera& camera : doc.cameras) {
            line(2, "<camera id=\"" + camera.id + "-camera\" name=\"" + camera.id + "\">");
            line(3, "<optics>");
            line(4, "<technique_common>");
            line(5, "<perspective>");
            line(6, "<yfov>" + formatNumber(camera.yfovDegrees) + "</yfov>");
            line(6, "<aspect_ratio>" + formatNumber(camera.aspectRatio) + "</aspect_ratio>");
            line(6, "<znear>" + formatNumber(camera.znear) + "</znear>");
            line(6, "<zfar>" + formatNumber(camera.zfar) + "</zfar>");
            line(5, "</perspective>");
            line(4, "</technique_common>");
            line(3, "</optics>");
            line(2, "</camera>");
        }
        line(1, "</library_cameras>");
    }

    void lights()
    {
        if (doc.lights.empty()) {
            return;
        }
        line(1, "<library_lights>");
        for (const Light& light : doc.lights) {
            // Only an ambient light keeps its colour through the importer;
            // the attenuation is read from anywhere inside <light>.
            line(2, "<light id=\"" + light.id + "-light\" name=\"" + light.id + "\">");
            line(3, "<technique_common>");
            line(4, "<ambient>");
            line(5, "<color>" + vec3Text(light.ambient) + "</color>");
            line(4, "</ambient>");
            line(3, "</technique_common>");
            line(3, "<extra>");
            line(4, "<technique profile=\"QUARRYSTACK\">");
            line(5, "<constant_attenuation>1</constant_attenuation>");
            line(5, "<linear_attenuation>" + formatNumber(light.linearAttenuation) + "</linear_attenuation>");
            line(5, "<quadratic_attenuation>0</quadratic_attenuation>");
            line(4, "</technique>");
            line(3, "</extra>");
            line(2, "</light>");
        }
        line(1, "</library_lights>");
    }

    std::vector<std::string> texturePaths() const
    {
        std::vector<std::string> paths;
        std::set<std::string> seen;
        for (const Material& material : doc.materials) {
            for (const std::string* path : {&material.diffuseTexture, &material.normalTexture}) {
                if (!path->empty() && seen.insert(*path).second) {
                    paths.push_back(*path);
                }
            }
        }
        return paths;
    }

    void images()
    {
        std::vector<std::string> paths = texturePaths();
        if (paths.empty()) {
            return;
        }
        std::set<std::string> ids;
        line(1, "<library_images>");
        for (const std::string& path : paths) {
            std::string id = imageId(path);
            if (!ids.insert(id).second) {
                throw std::runtime_error("two texture paths give the image id " + id);
            }
            line(2, "<image id=\"" + id + "\" name=\"" + id + "\">");
            line(3, "<init_from>" + xmlEscape(path) + "</init_from>");
            line(2, "</image>");
        }
        line(1, "</library_images>");
    }

    void textureParams(const std::string& path)
    {
        std::string id = imageId(path);
        line(3, "<newparam sid=\"" + id + "-surface\">");
        line(4, "<surface type=\"2D\">");
        line(5, "<init_from>" + id + "</init_from>");
        line(4, "</surface>");
        line(3, "</newparam>");
        line(3, "<newparam sid=\"" + id + "-sampler\">");
        line(4, "<sampler2D>");
        line(5, "<source>" + id + "-surface</source>");
        line(4, "</sampler2D>");
        line(3, "</newparam>");
    }

    void effects()
    {
        line(1, "<library_effects>");
        for (const Material& material : doc.materials) {
            line(2, "<effect id=\"" + material.id + "-effect\">");
            line(3, "<profile_COMMON>");
            if (!material.diffuseTexture.empty()) {
                textureParams(material.diffuseTexture);
            }
            if (!material.normalTexture.empty() && material.normalTexture != material.diffuseTexture) {
                textureParams(material.normalTexture);
            }
            line(3, "<technique sid=\"common\">");
            line(4, "<phong>");
            line(5, "<emission><color sid=\"emission\">" + vec4Text(material.emission) + "</color></emission>");
            line(5, "<ambient><color sid=\"ambient\">" + vec4Text(material.ambient) + "</color></ambient>");
            if (material.diffuseTexture.empty()) {
                line(5, "<diffuse><color sid=\"diffuse\">" + vec4Text(material.diffuse) + "</color></diffuse>");
            } else {
                line(5, "<diffuse><texture texture=\"" + imageId(material.diffuseTexture) +
                            "-sampler\" texcoord=\"CHANNEL0\"/></diffuse>");
            }
            line(5, "<specular><color sid=\"specular\">" + vec4Text(material.specular) + "</color></specular>");
            line(5, "<shininess><float sid=\"shininess\">" + formatNumber(material.shininess) + "</float></shininess>");
            line(4, "</phong>");
            if (!material.normalTexture.empty()) {
                line(4, "<extra>");
                line(5, "<technique profile=\"FCOLLADA\">");
                line(6, "<bump><texture texture=\"" + imageId(material.normalTexture) +
                            "-sampler\" texcoord=\"CHANNEL0\"/></bump>");
                line(5, "</technique>");
                line(4, "</extra>");
            }
            line(3, "</technique>");
            line(3, "</profile_COMMON>");
            line(2, "</effect>");
        }
        line(1, "</library_effects>");
    }

    void materials()
    {
        line(1, "<library_materials>");
        for (const Material& material : doc.materials) {
            line(2, "<material id=\"" + material.id + "-material\" name=\"" + material.id + "\">");
            line(3, "<instance_effect url=\"#" + material.id + "-effect\"/>");
            line(2, "</material>");
        }
        line(1, "</library_materials>");
    }

    template <typename V>
    void source(const std::string& id, const std::vector<V>& values, const char* const* params, int stride)
    {
        const float* data = values.empty() ? nullptr : &values[0].x;
        size_t count = values.size();
        line(4, "<source id=\"" + id + "\">");
        line(5, "<float_array id=\"" + id + "-array\" count=\"" + std::to_string(count * stride) + "\">");
        for (size_t i = 0; i < count; ++i) {
            line(6, numbers(data + i * stride, static_cast<size_t>(stride)));
        }
        line(5, "</float_array>");
        line(5, "<technique_common>");
        line(6, "<accessor source=\"#" + id + "-array\" count=\"" + std::to_string(count) + "\" stride=\"" +
                    std::to_string(stride) + "\">");
        for (int i = 0; i < stride; ++i) {
            line(7, std::string("<param name=\"") + params[i] + "\" type=\"float\"/>");
        }
        line(6, "</accessor>");
        line(5, "</technique_common>");
        line(4, "</source>");
    }

    void geometries()
    {
        static const char* const xyz[] = {"X", "Y", "Z"};
        static const char* const st[] = {"S", "T"};
        line(1, "<library_geometries>");
        for (const Mesh& mesh : doc.meshes) {
            if (mesh.normals.size() != mesh.positions.size() || mesh.uvs.size() != mesh.positions.size()) {
                throw std::runtime_error("mesh " + mesh.id + " has mismatched vertex arrays");
            }
            line(2, "<geometry id=\"" + mesh.id + "-mesh\" name=\"" + mesh.id + "\">");
            line(3, "<mesh>");
            source(mesh.id + "-positions", mesh.positions, xyz, 3);
            if (mesh.writeNormals) {
                source(mesh.id + "-normals", mesh.normals, xyz, 3);
            }
            if (mesh.writeUvs) {
                source(mesh.id + "-uvs", mesh.uvs, st, 2);
            }
            line(4, "<vertices id=\"" + mesh.id + "-vertices\">");
            line(5, "<input semantic=\"POSITION\" source=\"#" + mesh.id + "-positions\"/>");
            line(4, "</vertices>");
            for (const TriangleGroup& group : mesh.groups) {
                const Material& material = doc.materials.at(static_cast<size_t>(group.material));
                size_t triangles = group.indices.size() / 3;
                line(4, "<triangles material=\"" + material.id + "-material\" count=\"" + std::to_string(triangles) +
                            "\">");
                line(5, "<input semantic=\"VERTEX\" source=\"#" + mesh.id + "-vertices\" offset=\"0\"/>");
                if (mesh.writeNormals) {
                    line(5, "<input semantic=\"NORMAL\" source=\"#" + mesh.id + "-normals\" offset=\"0\"/>");
                }
                if (mesh.writeUvs) {
                    line(5, "<input semantic=\"TEXCOORD\" source=\"#" + mesh.id + "-uvs\" offset=\"0\" set=\"0\"/>");
                }
                line(5, "<p>");
                for (size_t t = 0; t < triangles; ++t) {
                    const uint32_t* corner = &group.indices[t * 3];
                    if (corner[0] >= mesh.positions.size() || corner[1] >= mesh.positions.size() ||
                        corner[2] >= mesh.positions.size()) {
                        throw std::runtime_error("mesh " + mesh.id + " indexes past its vertices");
                    }
                    line(6,
                         std::to_string(corner[0]) + " " + std::to_string(corner[1]) + " " + std::to_string(corner[2]));
                }
                line(5, "</p>");
                line(4, "</triangles>");
            }
            line(3, "</mesh>");
            line(2, "</geometry>");
        }
        line(1, "</library_geometries>");
    }

    void animations()
    {
        if (doc.channels.empty()) {
            return;
        }
        // Every channel goes into one <animation>: the importer makes one
        // aiAnimation of it, and the game reads only the first.
        line(1, "<library_animations>");
        line(2, "<animation id=\"level-animation\" name=\"level\">");
        for (size_t i = 0; i < doc.channels.size(); ++i) {
            const Channel& channel = doc.channels[i];
            std::string id = "channel" + std::to_string(i);
            size_t keys = channel.times.size();
            if (keys == 0 || channel.values.size() != keys * static_cast<size_t>(channel.stride)) {
                throw std::runtime_error("channel " + channel.target + " has mismatched keys");
            }
            line(3, "<source id=\"" + id + "-input\">");
            line(4, "<float_array id=\"" + id + "-input-array\" count=\"" + std::to_string(keys) + "\">" +
                        numbers(channel.times.data(), keys) + "</float_array>");
            line(4, "<technique_common>");
            line(5,
                 "<accessor source=\"#" + id + "-input-array\" count=\"" + std::to_string(keys) + "\" stride=\"1\">");
            line(6, "<param name=\"TIME\" type=\"float\"/>");
            line(5, "</accessor>");
            line(4, "</technique_common>");
            line(3, "</source>");

            line(3, "<source id=\"" + id + "-output\">");
            line(4, "<float_array id=\"" + id + "-output-array\" count=\"" + std::to_string(channel.values.size()) +
                        "\">" + numbers(channel.values.data(), channel.values.size()) + "</float_array>");
            line(4, "<technique_common>");
            line(5, "<accessor source=\"#" + id + "-output-array\" count=\"" + std::to_string(keys) + "\" stride=\"" +
                        std::to_string(channel.stride) + "\">");
            if (channel.stride == 3) {
                line(6, "<param name=\"X\" type=\"float\"/>");
                line(6, "<param name=\"Y\" type=\"float\"/>");
                line(6, "<param name=\"Z\" type=\"float\"/>");
            } else {
                line(6, "<param name=\"ANGLE\" type=\"float\"/>");
            }
            line(5, "</accessor>");
            line(4, "</technique_common>");
            line(3, "</source>");

            std::string interpolation;
            for (size_t k = 0; k < keys; ++k) {
                interpolation += k == 0 ? "LINEAR" : " LINEAR";
            }
            line(3, "<source id=\"" + id + "-interpolation\">");
            line(4, "<Name_array id=\"" + id + "-interpolation-array\" count=\"" + std::to_string(keys) + "\">" +
                        interpolation + "</Name_array>");
            line(4, "<technique_common>");
            line(5, "<accessor source=\"#" + id + "-interpolation-array\" count=\"" + std::to_string(keys) +
                        "\" stride=\"1\">");
            line(6, "<param name=\"INTERPOLATION\" type=\"name\"/>");
            line(5, "</accessor>");
            line(4, "</technique_common>");
            line(3, "</source>");
        }
        for (size_t i = 0; i < doc.channels.size(); ++i) {
            std::string id = "channel" + std::to_string(i);
            line(3, "<sampler id=\"" + id + "-sampler\">");
            line(4, "<input semantic=\"INPUT\" source=\"#" + id + "-input\"/>");
            line(4, "<input semantic=\"OUTPUT\" source=\"#" + id + "-output\"/>");
            line(4, "<input semantic=\"INTERPOLATION\" source=\"#" + id + "-interpolation\"/>");
            line(3, "</sampler>");
        }
        for (size_t i = 0; i < doc.channels.size(); ++i) {
            line(3, "<channel source=\"#channel" + std::to_string(i) + "-sampler\" target=\"" + doc.channels[i].target +
                        "\"/>");
        }
        line(2, "</animation>");
        line(1, "</library_animations>");
    }

    void node(const Node& node, int depth)
    {
        if (!ids.insert(node.id).second) {
            throw std::runtime_error("node id " + node.id + " is used twice");
        }
        line(depth, "<node id=\"" + node.id + "\" name=\"" + node.id + "\" type=\"NODE\">");
        line(depth + 1, "<translate sid=\"location\">" + vec3Text(node.translation) + "</translate>");
        for (const Rotation& rotation : node.rotations) {
            line(depth + 1, "<rotate sid=\"" + rotation.sid + "\">" + vec3Text(rotation.axis) + " " +
                                formatNumber(rotation.degrees) + "</rotate>");
        }
        if (node.scale != glm::vec3(1.0f)) {
            line(depth + 1, "<scale sid=\"scale\">" + vec3Text(node.scale) + "</scale>");
        }
        if (node.camera >= 0) {
            line(depth + 1,
                 "<instance_camera url=\"#" + doc.cameras.at(static_cast<size_t>(node.camera)).id + "-camera\"/>");
        }
        if (node.light >= 0) {
            line(depth + 1,
                 "<instance_light url=\"#" + doc.lights.at(static_cast<size_t>(node.light)).id + "-light\"/>");
        }
        if (node.mesh >= 0) {
            const Mesh& mesh = doc.meshes.at(static_cast<size_t>(node.mesh));
            line(depth + 1, "<instance_geometry url=\"#" + mesh.id + "-mesh\" name=\"" + node.id + "\">");
            line(depth + 2, "<bind_material>");
            line(depth + 3, "<technique_common>");
            std::set<int> bound;
            for (const TriangleGroup& group : mesh.groups) {
                if (!bound.insert(group.material).second) {
                    continue;
                }
                const std::string& id = doc.materials.at(static_cast<size_t>(group.material)).id;
                line(depth + 4, "<instance_material symbol=\"" + id + "-material\" target=\"#" + id + "-material\">");
                line(depth + 5,
                     "<bind_vertex_input semantic=\"CHANNEL0\" input_semantic=\"TEXCOORD\" input_set=\"0\"/>");
                line(depth + 4, "</instance_material>");
            }
            line(depth + 3, "</technique_common>");
            line(depth + 2, "</bind_material>");
            line(depth + 1, "</instance_geometry>");
        }
        for (const Node& child : node.children) {
            this->node(child, depth + 1);
        }
        line(depth, "</node>");
    }

    void visualScene()
    {
        line(1, "<library_visual_scenes>");
        line(2, "<visual_scene id=\"Scene\" name=\"Scene\">");
        for (const Node& n : doc.nodes) {
            node(n, 3);
        }
        line(2, "</visual_scene>");
        line(1, "</library_visual_scenes>");
    }

    const Document& doc;
    std::ostringstream out;
    std::set<std::string> ids;
};

} // namespace

std::string write(const Document& document) { return Writer(document).run(); }

} // namespace collada
