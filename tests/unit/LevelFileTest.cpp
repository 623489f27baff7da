// The level files read through Assimp with the game's flags: the level check
// on the shipped level and on each test level, then the shipped level's
// naming contract, mesh data and the design rules the route depends on.

#include "import/LevelFile.h"
#include "audio/SoundSystem.h"
#include "core/Tuning.h"
#include "import/LevelCheck.h"
#include "import/LevelScan.h"
#include "physics/PhysicsWorld.h"
#include "scene/BoundingSphere.h"
#include "support/TempDir.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const aiScene* load(Assimp::Importer& importer, const std::string& relative)
{
    return importer.ReadFile(std::string(QUARRYSTACK_SOURCE_DIR) + "/" + relative,
                             aiProcessPreset_TargetRealtime_Quality);
}

// Each faulty test level is refused with the message that names its one
// fault, or warned of: one that stopped showing its fault would leave the
// tests built on it blind. (The sound levels pass: every test that loads one
// fails otherwise.)
TEST(LevelCheck, NamesTheFaultOfEachTestLevel)
{
    const std::string faulty = " in the mesh of node \"faultyMesh\"";
    const struct {
        std::string file;
        std::string problem; // "-" for a file Assimp cannot read
        std::string warning = "";
    } rows[] = {
        {"no_lights.dae", ""}, // loaded by no other test
        {"no_player.dae", "Level error: no node named \"player\" with a mesh"},
        {"no_camera.dae", "Level error: no camera"},
        {"no_camera_nodes.dae", "Level error: the nodes \"camera1_aim\" and \"camera1_up\" are missing"},
        {"nine_lights.dae", "Level error: 9 lights; at most 8 fit beside the game's own 2"},
        {"no_uvs.dae", "Level error: no texture coordinates" + faulty},
        // Assimp turns a triangle with a repeated corner into a line mesh, which is left out.
        {"degenerate_triangle.dae", "",
         "Level warning: faces with fewer than three corners (zero-area triangles or edges) left out of the mesh "
         "of node \"faultyMesh\": 1"},
        {"names_one_channel.dae", "",
         "Level warning: node \"dynamic_Anim\" is named to move (…_Anim) but has no key frames: it stays in place"},
        {"truncated.dae", "-"},
        {"garbage.dae", "-"},
        // Found by the scan of the text, before Assimp reads the file.
        {"deep_nesting.dae", "Level error: node \"deep257\" lies deeper than 256 nested nodes"},
        {"huge_array.dae", "Level error: element \"Floor_base-positions-array\" counts 4000000000 values; "
                           "at most 16000000 fit the memory budget"},
        {"nan_transform.dae", "Level error: node \"Floor_base\" has a transform with a number that is not finite"},
        {"flat_scale.dae", "Level error: node \"Floor_base\" has a zero or negative scale (a flat or mirrored "
                           "transform)"},
        {"mirrored.dae", "Level error: node \"Floor_base\" has a zero or negative scale (a flat or mirrored "
                         "transform)"},
        {"infinite_light.dae", "Level error: the light \"lamp1\" has a number that is not finite"},
        {"two_players.dae", "Level error: a second node named \"player\""},
        {"player_two_meshes.dae", "Level error: the node \"player\" has 2 meshes; the player is one"},
        // Blender 3.4's exports with its default settings.
        {"../blender/walk.dae", "",
         "Level warning: the file states Z_UP and 1 m a unit, so the whole level is turned to Y up"},
        {"../blender/walk_quads.dae", "",
         "Level warning: the file states Z_UP and 1 m a unit, so the whole level is turned to Y up"},
        {"../blender/walk_cm.dae", "",
         "Level warning: the file states Z_UP and 0.01 m a unit, so the whole level is turned and scaled to Y up in "
         "metres"},
        {"../blender/lift.dae", "",
         "Level warning: the file states Z_UP and 1 m a unit, so the whole level is turned to Y up"},
        {"../blender/skinned.dae",
         "Level error: the skinned or morphed mesh \"statue_rig_statue-skin\" (a <controller>); apply its armature "
         "or shape keys before the export"},
        // Files that crashed, aborted or exhausted Assimp itself under the fuzzer.
        {"../fuzz/assimp_array_without_count.dae", "Level error: a <float_array> element without its count"},
        {"../fuzz/assimp_primitive_count_assert.dae",
         "Level error: a <triangles> element with more than one index list <p>"},
        {"../fuzz/assimp_stray_character_in_indices.dae",
         "Level error: the index list of a <triangles> element holds \"x\", not an index below 16000000"},
        {"../fuzz/assimp_triangles_without_vertex_input.dae",
         "Level error: a <triangles> element without its vertices (an <input semantic=\"VERTEX\"> before its index "
         "list <p>)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const LevelFile file(std::string(QUARRYSTACK_SOURCE_DIR) + "/tests/data/levels/" + row.file, 2);
        const std::vector<LevelProblem>& found = file.problems();
        if (row.problem == "-") {
            ASSERT_EQ(found.size(), 1u);
            EXPECT_EQ(found.front().kind, LevelProblem::Kind::Unread) << found.front().text;
        } else {
            EXPECT_EQ(found.empty() ? "" : found.front().text, row.problem);
            for (const LevelProblem& problem : found)
                EXPECT_EQ(problem.kind, LevelProblem::Kind::Format) << problem.text;
            EXPECT_EQ(file.warnings().empty() ? "" : file.warnings().front(), row.warning);
        }
    }
}

// Each row crashed, aborted or exhausted Assimp 5.2.5 when its text stood in a
// level, and is refused before Assimp reads it; the XML that hides a fault
// from a plainer scan is read as Assimp's XML reader reads it.
TEST(LevelScan, RefusesWhatAssimpCannotRead)
{
    const std::string noCount = "Level error: a <float_array> element without its count";
    const std::string noImage = "Level error: an image without a file name (an empty <init_from>)";
    const std::string cycle = "Level error: node \"a\" instances itself through <instance_node>";
    const std::string zip =
        "Level error: the file is a zip archive (.zae); the game reads a level from a plain .dae file";
    const std::string vertices = "<input semantic=\"VERTEX\" source=\"#v\"/>",
                      normals = "<input semantic=\"NORMAL\" source=\"#n\" offset=\"1\"/>";
    std::string chain, fan;
    for (int i = 0; i < 300; ++i)
        chain +=
            "<node id=\"c" + std::to_string(i) + "\"><instance_node url=\"#c" + std::to_string(i + 1) + "\"/></node>";
    for (int i = 0; i < 20; ++i) {
        const std::string next = "<instance_node url=\"#f" + std::to_string(i + 1) + "\"/>";
        fan += "<node id=\"f" + std::to_string(i) + "\">" + next + next + "</node>";
    }
    const std::pair<std::string, std::string> rows[] = {
        {"<float_array id=\"a\" count=\"1\">1</float_array><init_from> t.png </init_from>", ""},
        {"<float_array id=\"a\">1</float_array>", noCount},
        // Quotes mean nothing in a processing instruction; a DOCTYPE may declare entities.
        {"<?pi say \"hi?><float_array id=\"a\">1</float_array><x a=\"\"/>", noCount},
        {"<!DOCTYPE COLLADA [<!ENTITY e \"x\">]><COLLADA/>",
         "Level error: a <!DOCTYPE> with declarations of its own; a level needs none"},
        {"<!DOCTYPE COLLADA SYSTEM \"a>b\"><float_array id=\"a\">1</float_array>", noCount},
        // An attribute is read in full, escapes and single quotes included.
        {"<float_array id='a' count='4000000000'/>",
         "Level error: element \"a\" counts 4000000000 values; at most 16000000 fit the memory budget"},
        {"<float_array name='b count=\"5\"' id=\"a\">1</float_array>", noCount},
        {"<node id=\"&#97;\"><instance_node url=\"#a\"/></node>", cycle},
        {"<node id=\"a\"><node name=\"b\"><instance_node url=\"#a\"/></node></node>", cycle},
        {chain, "Level error: node \"c43\" holds more than 256 nested nodes with its instances"},
        {fan, "Level error: node \"f3\" holds more than 100000 nodes with its instances"},
        // Index lists hold numbers, also past a comment.
        {"<triangles count=\"1\">" + vertices + "<p>1<!-- --> x</p></triangles>",
         "Level error: the index list of a <triangles> element holds \"x\", not an index below 16000000"},
        {"<triangles count=\"1\">" + vertices + "<p><![CDATA[1]]></p></triangles>",
         "Level error: a CDATA section inside an index list or an image path"},
        // So do the lists of polygons and strips: a letter made Assimp take gigabytes.
        {"<polygons count=\"2\">" + vertices + "<p>0 1 2</p><p>0 1 x</p></polygons>",
         "Level error: the index list of a <polygons> element holds \"x\", not an index below 16000000"},
        {"<tristrips count=\"1\">" + vertices + "<p>0 1 2 3</p><p>4 5 6</p></tristrips>", ""},
        {"<trifans>", "Level error: a <trifans> element without its count"},
        // A polylist without its face sizes crashed Assimp; so did a list read
        // before the vertices' input, and a polygon of no corners.
        {"<polylist count=\"1\">" + vertices + "<vcount/><p>0 1 2</p></polylist>",
         "Level error: a <polylist> element without its face sizes <vcount>"},
        {"<triangles count=\"1\"><p>0 1 2</p>" + vertices + "</triangles>",
         "Level error: a <triangles> element without its vertices (an <input semantic=\"VERTEX\"> before its index "
         "list <p>)"},
        {"<polygons count=\"1\">" + vertices + "<p/></polygons>",
         "Level error: an index list <p> of a <polygons> element holds no corners"},
        {"<polylist count=\"2\">" + vertices + "<vcount>3 0</vcount><p>0 1 2</p></polylist>",
         "Level error: a <polylist> element with a face of no corners in its <vcount>"},
        {"<trifans count=\"0\">" + vertices + "<p>0 1 2</p></trifans>",
         "Level error: a <trifans> element counts 0 but holds an index list <p>"},
        {"<tristrips count=\"1\">" + vertices + normals + "<p>0 0 1</p></tristrips>",
         "Level error: an index list <p> of a <tristrips> element holds 1 corner; a strip needs 2"},
        // Assimp aborts on polygons that are not as many as their count.
        {"<polygons count=\"2\">" + vertices + "<p>0 1 2</p></polygons>",
         "Level error: a <polygons> element counts 2 polygons but holds 1 index list <p>"},
        // Assimp aborts on an image path it finds empty.
        {"<init_from/>", noImage},
        {"<init_from> &#32;<!-- t.png --></init_from>", noImage},
        {"<init_from><ref>t.png</ref></init_from>", noImage},
        {"<init_from>file://</init_from>", noImage},
        // An animation's times past the end of their array aborted Assimp.
        {"<float_array id=\"t\" count=\"3\">0 1 2</float_array><accessor source=\"#t\" count=\"2\" stride=\"2\"/>",
         "Level error: the accessor of \"#t\" reads past the end of its array"},
        {"<controller id=\"skin\">",
         "Level error: the skinned or morphed mesh \"skin\" (a <controller>); apply its armature or shape keys "
         "before the export"},
        {std::string("PK\3\4", 4), zip},
        {"<COLLADA/>" + std::string("PK\5\6", 4), zip},
    };
    for (const auto& [text, problem] : rows)
        EXPECT_EQ(scanLevelText(text), problem) << text.substr(0, 200);
}

// A directory, a FIFO or a file past the budget is refused unread: opening a
// FIFO would wait for a writer for good.
TEST(LevelFile, ReadsOnlyRegularFiles)
{
    const TempDir dir("kinds");
    const std::string fifo = (dir.path() / "fifo.dae").string(), folder = (dir.path() / "dir.dae").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    for (const std::string& path : {fifo, folder}) {
        const LevelFile file(path, 2);
        ASSERT_EQ(file.problems().size(), 1u);
        EXPECT_EQ(file.problems()[0].text, "Level: cannot open " + path + ": not a regular file");
        EXPECT_EQ(readPicture(path, 64).fault, PictureFault::Unreadable);
        audio::Samples samples;
        EXPECT_EQ(audio::readSamples(path, samples), "not a regular file");
    }
    const std::string large = (dir.path() / "large.dae").string();
    std::filesystem::resize_file((std::ofstream(large), large), levelLimits::fileBytes + 1);
    EXPECT_EQ(LevelFile(large, 2).problems()[0].text,
              "Level error: the file is larger than 256 MB, past the memory budget");
}

// Only PNG, JPEG and BMP by their first bytes and TGA by its name reach a
// decoder: FreeImage's readers of other formats crash or hang on crafted files.
TEST(LevelFile, TakesPicturesOnlyInTheFormatsLevelsUse)
{
    const TempDir dir("formats");
    const std::pair<const char*, PictureFault> rows[] = {
        {"a.png", PictureFault::None},          {"a.jpg", PictureFault::None},
        {"a.bmp", PictureFault::None},          {"a.tga", PictureFault::None},
        {"a.tif", PictureFault::UnknownFormat}, {"a.ppm", PictureFault::UnknownFormat},
        {"a.psd", PictureFault::UnknownFormat},
    };
    const Bitmap bitmap(FreeImage_Allocate(4, 4, 24));
    for (const auto& [name, fault] : rows) {
        const std::string path = (dir.path() / name).string();
        const FREE_IMAGE_FORMAT format = FreeImage_GetFIFFromFilename(name);
        // FreeImage writes no PSD: a PNG under that name has a PNG's bytes, so a TGA's stand in.
        if (format == FIF_PSD)
            ASSERT_TRUE(FreeImage_Save(FIF_TARGA, bitmap.get(), path.c_str()));
        else
            ASSERT_TRUE(FreeImage_Save(format, bitmap.get(), path.c_str())) << name;
        const DecodedPicture picture = readPicture(path, 64);
        EXPECT_EQ(picture.fault, fault) << name;
        EXPECT_EQ(picture.width, fault == PictureFault::None ? 4u : 0u) << name;
    }
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// What the check finds in `text` written as a level file, problems then warnings.
std::vector<std::string> findingsIn(const std::string& text)
{
    const TempDir dir("findings");
    const std::string path = (dir.path() / "my.dae").string();
    std::ofstream(path) << text;
    const LevelFile file(path, 2);
    std::vector<std::string> lines;
    for (const LevelProblem& problem : file.problems())
        lines.push_back(problem.text);
    lines.insert(lines.end(), file.warnings().begin(), file.warnings().end());
    return lines;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The level maker's guide (docs/levels.md) prints a level to type in and
// check; it passes as printed. Changed, it shows what the check warns of: a
// cause in many nodes is one line, a node without an id goes by its name.
TEST(LevelCheck, TheGuidesWalkThroughLevelPassesAndChangedIsWarnedOf)
{
    const std::string guide = fileText(std::string(QUARRYSTACK_SOURCE_DIR) + "/docs/levels.md");
    const std::size_t begin = guide.find("```xml\n"), end = guide.find("```", begin + 7);
    ASSERT_NE(end, std::string::npos);
    const std::string level = guide.substr(begin + 7, end - begin - 7);
    const std::string falls = "Level warning: nothing to stand on below the player's start: it falls";
    const struct {
        std::string from, to;
        std::vector<std::string> found;
    } rows[] = {
        {"", "", {}},
        {"<translate>0 -0.5 4</translate>", "<translate>0 -0.5 40</translate>", {falls}},
        {"<linear_attenuation>10<",
         "<linear_attenuation>0<",
         {"Level warning: the light \"lamp1\" gives no light (see \"Lights\" in the level guide)"}},
        {"<unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis>",
         "<unit name=\"centimeter\" meter=\"0.01\"/><up_axis>Z_UP</up_axis>",
         {falls, "Level warning: the file states Z_UP and 0.01 m a unit, so the whole level is turned and scaled to "
                 "Y up in metres"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(findingsIn(replaced(level, row.from, row.to)), row.found) << row.to;

    const std::string noUvs = fileText(std::string(QUARRYSTACK_SOURCE_DIR) + "/tests/data/levels/no_uvs.dae");
    const std::size_t node = noUvs.find("      <node id=\"faultyMesh\""), nodeEnd = noUvs.find("</node>", node) + 8;
    std::string copies;
    for (int i = 1; i <= 4; ++i)
        copies +=
            replaced(noUvs.substr(node, nodeEnd - node), "id=\"faultyMesh\"", "id=\"m" + std::to_string(i) + "\"");
    EXPECT_EQ(findingsIn(noUvs.substr(0, nodeEnd) + copies + noUvs.substr(nodeEnd)),
              std::vector<std::string>{"Level error: no texture coordinates in the meshes of 5 nodes: \"faultyMesh\", "
                                       "\"m1\", \"m2\" and 2 more"});
    // Lights and a camera alone: the import's made-up mesh of the node tree is no mesh of the level's.
    const std::regex geometry(R"(<instance_geometry[\s\S]*?</instance_geometry>)");
    EXPECT_EQ(findingsIn(std::regex_replace(level, geometry, "")),
              std::vector<std::string>{"Level error: no node named \"player\" with a mesh"});
    // SketchUp writes nodes with a name and no id: the line names them as the editor does.
    EXPECT_EQ(findingsIn(replaced(noUvs, "id=\"faultyMesh\" name=\"faultyMesh\"", "name=\"Table #1\"")),
              std::vector<std::string>{"Level error: no texture coordinates in the mesh of node \"Table #1\""});
}

// Lights without the level format's ambient colour, as editors write them:
// colour × watts falling off with the square of the distance (Blender), a
// power of their own, a light that never dims, and lights too dim to see.
TEST(LevelCheck, LightsTakeTheirColourAndPowerFromWhereTheFileWritesThem)
{
    const struct {
        aiColor3D colour;
        float linear, quadratic;
        glm::vec3 expectedColour;
        float power;
        bool dark;
    } rows[] = {
        {{1000, 500, 250}, 0, 0.0016f, {1, 0.5f, 0.25f}, 1000 * tuning::powerPerWatt, false},
        {{1, 1, 1}, 0, 0.0016f, {1, 1, 1}, tuning::powerPerWatt, true},
        {{2, 2, 2}, 3, 0, {1, 1, 1}, 3, false},
        {{1, 0.95f, 0.9f}, 0, 0, {1, 0.95f, 0.9f}, tuning::steadyLightPower, false},
        {{}, 0, 0, {}, 0, true},
    };
    for (const auto& row : rows) {
        aiLight light;
        light.mColorDiffuse = row.colour;
        light.mAttenuationLinear = row.linear;
        light.mAttenuationQuadratic = row.quadratic;
        const FileLight read = fileLight(light);
        EXPECT_LT(glm::length(read.colour - row.expectedColour), 1e-5f) << row.colour.r;
        EXPECT_NEAR(read.power, row.power, 1e-5f) << row.colour.r;
        EXPECT_EQ(givesNoLight(read), row.dark) << row.colour.r;
    }
}

// The player's hint is the <subject> of the file's <asset>, as plain text.
TEST(LevelFile, TakesTheHintFromTheAssetsSubject)
{
    EXPECT_EQ(LevelFile(QUARRYSTACK_SOURCE_DIR "/Data/LevelFinal.dae", 2).hint(),
              "Push a block to the ledge and climb it");
    const TempDir dir("hint");
    const std::string path = (dir.path() / "hint.dae").string();
    std::ofstream(path) << "<COLLADA><asset><subject>&lt;Up&gt; &amp; \x1b[2J" + std::string(99, 'x') +
                               "</subject></asset>";
    EXPECT_EQ(LevelFile(path, 2).hint(), "<Up> & [2J" + std::string(70, 'x'));
}

// A texture comes from where the path leads from the level's folder, then
// from "textures/" beside the level, then from the game's own; never from
// outside the level's folder. A level made on Windows writes '\\'.
TEST(LevelCheck, TexturePathsLeadToPlacesInsideTheLevelsFolder)
{
    const std::vector<std::string> rock = {"levels/rock.png", "levels/textures/rock.png", "Textures/new/rock.png"};
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"rock.png", rock},
        {"maps/../rock.png", rock},
        {"../../etc/rock.png", rock},
        {"/etc/rock.png", rock},
        {"C:\\art\\rock.png", rock},
        {"textures\\rock.png", {"levels/textures/rock.png", "Textures/new/rock.png"}},
        {"maps/rock.png", {"levels/maps/rock.png", "levels/textures/rock.png", "Textures/new/rock.png"}},
        {"textures/..", {}},
        {"textures/", {}},
    };
    for (const auto& [path, places] : rows)
        EXPECT_EQ(texturePlaces("levels/my.dae", path), places) << path;
    EXPECT_EQ(texturePlaces("my.dae", "rock.png"),
              (std::vector<std::string>{"rock.png", "textures/rock.png", "Textures/new/rock.png"}));

    // Links are followed to where they lead: within the level's folder they
    // serve, out of it (to a system file, or a picture elsewhere) they do not.
    const TempDir dir("links");
    const std::filesystem::path levels = std::filesystem::path(QUARRYSTACK_SOURCE_DIR) / "tests/data/levels",
                                textures = dir.path() / "textures";
    std::filesystem::copy(levels / "textures.dae", dir.path() / "my.dae");
    std::filesystem::create_directory(textures);
    std::filesystem::copy(levels / "textures/stripes_diffuse.png", textures / "stripes_diffuse.png");
    std::filesystem::create_symlink("stripes_diffuse.png", textures / "dots_diffuse.png");
    std::filesystem::create_symlink("/etc/passwd", textures / "checker_diffuse.png");
    std::filesystem::create_symlink(levels / "textures/flat_normal.png", textures / "flat_normal.png");
    const std::string outside = " leads outside the level's folder and the game's textures";
    EXPECT_EQ(checkLevelFile((dir.path() / "my.dae").string(), 2).problems,
              (std::vector<std::string>{"Level: the texture " + (textures / "checker_diffuse.png").string() + outside,
                                        "Level: the texture " + (textures / "flat_normal.png").string() + outside}));

    // Pictures decoded count against one budget for the whole level, however
    // many paths lead to them: the stripes and the dots take 256 bytes each.
    std::filesystem::remove(textures / "checker_diffuse.png");
    std::filesystem::remove(textures / "flat_normal.png");
    const LevelFile file((dir.path() / "my.dae").string(), 2);
    for (const auto& [budget, problems] :
         {std::pair<std::size_t, std::vector<std::string>>{512, {}},
          {511, {"Level error: the textures take more than 511 bytes decoded, past the memory budget"}}}) {
        std::vector<std::string> found;
        for (const LevelProblem& problem : file.readPictures(64, {}, budget))
            if (problem.kind == LevelProblem::Kind::Format)
                found.push_back(problem.text);
        EXPECT_EQ(found, problems) << budget;
    }
}

class LoadedLevel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(scene = load(importer, "Data/LevelFinal.dae"), nullptr);
        index(scene->mRootNode);
    }
    void index(const aiNode* n)
    {
        nodes[n->mName.C_Str()] = n;
        for (unsigned i = 0; i < n->mNumChildren; ++i)
            index(n->mChildren[i]);
    }

    // The names that begin with `start` and contain `part`.
    std::vector<std::string> named(const std::string& start, const std::string& part = "")
    {
        std::vector<std::string> found;
        for (const auto& entry : nodes)
            if (entry.first.rfind(start, 0) == 0 && entry.first.find(part) != std::string::npos)
                found.push_back(entry.first);
        return found;
    }
    bool atRoot(const std::string& name) { return nodes.count(name) && nodes[name]->mParent == scene->mRootNode; }
    // Lowest and highest y of a root node's meshes.
    std::pair<float, float> heights(const std::string& name)
    {
        const aiNode* n = nodes.at(name);
        float low = 1e30f, high = -1e30f;
        for (unsigned i = 0; i < n->mNumMeshes; ++i)
            for (unsigned v = 0; v < scene->mMeshes[n->mMeshes[i]]->mNumVertices; ++v) {
                const float y = (n->mTransformation * scene->mMeshes[n->mMeshes[i]]->mVertices[v]).y;
                low = std::min(low, y), high = std::max(high, y);
            }
        return {low, high};
    }

    Assimp::Importer importer;
    const aiScene* scene = nullptr;
    std::map<std::string, const aiNode*> nodes;
};

// Back faces are culled: every mesh is closed with its triangles running
// counter-clockwise seen from outside, so its signed volume is positive.
// Normal mapping needs tangents.
TEST_F(LoadedLevel, MeshesAreClosedOutwardAndSmall)
{
    unsigned faces = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        double volume = 0.0;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f, ++faces) {
            const unsigned* corner = mesh->mFaces[f].mIndices;
            volume += mesh->mVertices[corner[0]] * (mesh->mVertices[corner[1]] ^ mesh->mVertices[corner[2]]) / 6.0;
        }
        EXPECT_TRUE(volume > 0.0 && mesh->HasTangentsAndBitangents()) << mesh->mName.C_Str();
    }
    EXPECT_LT(faces, 3000u) << "llvmpipe draws every triangle once per shadow face and light as well";
}

TEST_F(LoadedLevel, NamesLightsCameraAndAnimationsFitTheGame)
{
    // (The end-to-end test pins every body's name: one win and one lose object,
    // no movable animated one.)
    EXPECT_TRUE(nodes.count("crane_arm_Anim") && nodes["crane_arm_Anim"]->mParent->mNumMeshes > 0) << "follows a mesh";

    ASSERT_EQ(scene->mNumLights, 3u); // with the game's two, every light casts a shadow
    for (unsigned i = 0; i < scene->mNumLights; ++i) {
        const aiLight* light = scene->mLights[i];
        // 4 x power with inverse-square falloff: 2 to 20 lights without washing out.
        EXPECT_TRUE(light->mAttenuationLinear >= 2.0f && light->mAttenuationLinear <= 20.0f);
    }

    // Times come in milliseconds. The game loops every object over the
    // animation's duration: each moving track runs from 0 to the end.
    const aiAnimation* animation = scene->mAnimations[0];
    EXPECT_DOUBLE_EQ(animation->mTicksPerSecond, 1000.0);
    EXPECT_EQ(animation->mNumChannels, named("", "_Anim").size());
    for (unsigned i = 0; i < animation->mNumChannels; ++i) {
        const aiNodeAnim* c = animation->mChannels[i];
        const std::string name = c->mNodeName.C_Str();
        EXPECT_TRUE(nodes.count(name) && c->mNumPositionKeys + c->mNumRotationKeys > 2) << name;
        for (double last :
             {c->mPositionKeys[c->mNumPositionKeys - 1].mTime, c->mRotationKeys[c->mNumRotationKeys - 1].mTime})
            EXPECT_TRUE(last == 0.0 || last == animation->mDuration) << name;
        EXPECT_TRUE(c->mPositionKeys[0].mTime == 0.0 && c->mRotationKeys[0].mTime == 0.0) << name;
    }
}

// The route: the player starts just above the quarry floor. Any touch of a
// Floor body grounds, so a lip the capsule's top reaches at the top of a jump
// can be climbed: the ledge must be out of reach from the quarry floor and
// within reach from a block (the GL tests play the block and the lift route).
TEST_F(LoadedLevel, StartAndRouteNeedABlockOrTheLift)
{
    ASSERT_TRUE(atRoot("player") && atRoot("Floor_quarry") && atRoot("Floor_ledge") && atRoot("dynamicBlock1"));
    // The game's capsule: radius a quarter of the Ritter sphere, height a
    // quarter of the mesh's y extent, plus the caps.
    const aiMesh* mesh = scene->mMeshes[nodes["player"]->mMeshes[0]];
    const auto own = heights("player");
    std::vector<glm::vec3> corners;
    for (unsigned v = 0; v < mesh->mNumVertices; ++v)
        corners.emplace_back(mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z);
    const float radius = 0.25f * computeBoundingSphere(corners).radius;
    const float halfHeight = 0.25f * (own.second - own.first) + radius;
    const float jump = tuning::jumpSpeed * tuning::jumpSpeed / (-2.0f * PhysicsWorld::gravity);

    const float floorTop = heights("Floor_quarry").second;
    const float gap = nodes["player"]->mTransformation.b4 - halfHeight - floorTop;
    EXPECT_TRUE(gap >= 0.0f && gap <= 0.2f) << gap;
    const auto ledge = heights("Floor_ledge");
    EXPECT_GT(ledge.first, floorTop + jump + 2 * halfHeight + 0.1f) << "reachable without help";
    EXPECT_LT(ledge.second, heights("dynamicBlock1").second + jump + 2 * halfHeight - 0.5f) << "out of reach";
}

} // namespace
