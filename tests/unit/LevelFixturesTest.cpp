// The importer's test levels under tests/data/levels/: each must show its one
// rule or fault after Assimp's post-processing, or the importer's tests built
// on them test nothing.

#include "LevelScene.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using namespace levelscene;

std::string fixture(const std::string& name)
{
    return sourcePath("tests/data/levels/" + name);
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const aiNode* find(const aiScene* scene, const std::string& name)
{
    std::vector<const aiNode*> found = nodesNamed(scene, [&](const std::string& n) { return n == name; });
    return found.size() == 1 ? found[0] : nullptr;
}

std::string diffusePath(const aiScene* scene, const aiMesh* mesh)
{
    aiString path;
    if (scene->mMaterials[mesh->mMaterialIndex]->GetTexture(aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS) {
        return "";
    }
    return path.C_Str();
}

// What every level that the game could play needs; the broken ones break
// exactly one of these.
struct Expectation {
    const char* file;
    int players;      // nodes named exactly "player"
    int cameras;      // cameras in the scene
    bool cameraNodes; // "camera1_aim" and "camera1_up" at the root
    int lights;
};

class FixtureBasics : public ::testing::TestWithParam<Expectation> {};

TEST_P(FixtureBasics, ImportsWithTheNodesItShould)
{
    const Expectation& e = GetParam();
    Loaded level = load(fixture(e.file));
    ASSERT_NE(level.scene, nullptr) << level.importer->GetErrorString();
    const aiScene* scene = level.scene;
    EXPECT_EQ(static_cast<int>(nodesNamed(scene, [](const std::string& n) { return n == "player"; }).size()),
              e.players);
    EXPECT_EQ(static_cast<int>(scene->mNumCameras), e.cameras);
    EXPECT_EQ(rootChild(scene, "camera1_aim") != nullptr && rootChild(scene, "camera1_up") != nullptr,
              e.cameraNodes);
    EXPECT_EQ(static_cast<int>(scene->mNumLights), e.lights);
    for (unsigned int i = 0; i < scene->mNumLights; ++i) {
        EXPECT_NE(rootChild(scene, scene->mLights[i]->mName.C_Str()), nullptr);
        EXPECT_GT(scene->mLights[i]->mAttenuationLinear, 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Levels, FixtureBasics,
    ::testing::Values(Expectation{"names_anim.dae", 1, 1, true, 1}, Expectation{"names_noanim.dae", 1, 1, true, 1},
                      Expectation{"three_meshes.dae", 1, 1, true, 1}, Expectation{"textures.dae", 1, 1, true, 1},
                      Expectation{"two_cameras.dae", 1, 2, true, 1}, Expectation{"no_player.dae", 0, 1, true, 1},
                      Expectation{"no_camera.dae", 1, 0, true, 1},
                      Expectation{"no_camera_nodes.dae", 1, 1, false, 1},
                      Expectation{"no_lights.dae", 1, 1, true, 0},
                      // 9 + the 2 built-in lights = 11, over the lit program's 10.
                      Expectation{"nine_lights.dae", 1, 1, true, 9},
                      Expectation{"no_normals.dae", 1, 1, true, 1}, Expectation{"no_uvs.dae", 1, 1, true, 1},
                      Expectation{"degenerate_triangle.dae", 1, 1, true, 1},
                      Expectation{"unknown_texture_format.dae", 1, 1, true, 1}),
    [](const ::testing::TestParamInfo<Expectation>& info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        return name;
    });

TEST(LevelFixtures, NamingRulesNodesAreThereWithAndWithoutAnimation)
{
    const char* names[] = {"Anim", "dynamic_Anim", "Player", "player_1", "dynamicCrate", "crate_dynamic"};
    Loaded animated = load(fixture("names_anim.dae"));
    Loaded still = load(fixture("names_noanim.dae"));
    ASSERT_NE(animated.scene, nullptr);
    ASSERT_NE(still.scene, nullptr);
    for (const char* name : names) {
        EXPECT_NE(find(animated.scene, name), nullptr) << name;
        EXPECT_NE(find(still.scene, name), nullptr) << name;
    }
    EXPECT_EQ(still.scene->mNumAnimations, 0u);
    ASSERT_EQ(animated.scene->mNumAnimations, 1u);
    std::set<std::string> channels;
    const aiAnimation* animation = animated.scene->mAnimations[0];
    for (unsigned int c = 0; c < animation->mNumChannels; ++c) {
        channels.insert(animation->mChannels[c]->mNodeName.C_Str());
    }
    EXPECT_EQ(channels, (std::set<std::string>{"Anim", "dynamic_Anim"}));
}

TEST(LevelFixtures, ThreeMaterialGroupsGiveOneNodeThreeMeshesAndAChild)
{
    Loaded level = load(fixture("three_meshes.dae"));
    ASSERT_NE(level.scene, nullptr);
    const aiNode* triple = find(level.scene, "tripleMesh");
    ASSERT_NE(triple, nullptr);
    ASSERT_EQ(triple->mNumMeshes, 3u);
    std::set<unsigned int> materials;
    std::set<std::string> pictures;
    for (unsigned int i = 0; i < 3; ++i) {
        const aiMesh* mesh = level.scene->mMeshes[triple->mMeshes[i]];
        materials.insert(mesh->mMaterialIndex);
        pictures.insert(diffusePath(level.scene, mesh));
    }
    EXPECT_EQ(materials.size(), 3u);
    EXPECT_EQ(pictures.size(), 3u);
    ASSERT_EQ(triple->mNumChildren, 1u);
    EXPECT_STREQ(triple->mChildren[0]->mName.C_Str(), "tripleMesh_child");
    EXPECT_EQ(triple->mChildren[0]->mNumMeshes, 1u);
}

TEST(LevelFixtures, UntexturedMeshesAndASharedPicture)
{
    Loaded level = load(fixture("textures.dae"));
    ASSERT_NE(level.scene, nullptr);
    const aiScene* scene = level.scene;
    // The node walk meets the untextured mesh before any textured one.
    ASSERT_GE(scene->mRootNode->mNumChildren, 4u);
    EXPECT_STREQ(scene->mRootNode->mChildren[0]->mName.C_Str(), "untexturedFirst");
    auto meshOf = [&](const char* name) {
        const aiNode* n = find(scene, name);
        return n != nullptr && n->mNumMeshes == 1 ? scene->mMeshes[n->mMeshes[0]] : nullptr;
    };
    const aiMesh* first = meshOf("untexturedFirst");
    const aiMesh* stripes = meshOf("texturedStripes");
    const aiMesh* after = meshOf("untexturedAfter");
    const aiMesh* shiny = meshOf("texturedStripesShiny");
    ASSERT_TRUE(first && stripes && after && shiny);
    EXPECT_EQ(diffusePath(scene, first), "");
    EXPECT_EQ(diffusePath(scene, after), "");
    EXPECT_EQ(diffusePath(scene, stripes), "textures/stripes_diffuse.png");
    EXPECT_EQ(diffusePath(scene, shiny), "textures/stripes_diffuse.png");
    // Two materials, not merged into one by the importer.
    EXPECT_NE(stripes->mMaterialIndex, shiny->mMaterialIndex);
}

TEST(LevelFixtures, TwoCamerasKeepTheirNodeNames)
{
    Loaded level = load(fixture("two_cameras.dae"));
    ASSERT_NE(level.scene, nullptr);
    ASSERT_EQ(level.scene->mNumCameras, 2u);
    EXPECT_STREQ(level.scene->mCameras[0]->mName.C_Str(), "camera1");
    EXPECT_STREQ(level.scene->mCameras[1]->mName.C_Str(), "camera2");
}

// The file has no NORMAL input, but aiProcess_GenSmoothNormals makes normals
// for it: the importer never sees a mesh without normals from Collada. They
// are smooth, averaged over the faces at each corner.
TEST(LevelFixtures, MissingNormalsComeBackSmooth)
{
    std::string text = readText(fixture("no_normals.dae"));
    EXPECT_EQ(text.find("faultyMesh-normals"), std::string::npos);
    ASSERT_NE(text.find("faultyMesh-uvs"), std::string::npos);

    Loaded level = load(fixture("no_normals.dae"));
    ASSERT_NE(level.scene, nullptr);
    const aiNode* n = find(level.scene, "faultyMesh");
    ASSERT_NE(n, nullptr);
    ASSERT_EQ(n->mNumMeshes, 1u);
    const aiMesh* mesh = level.scene->mMeshes[n->mMeshes[0]];
    ASSERT_TRUE(mesh->HasNormals());
    EXPECT_TRUE(mesh->HasTextureCoords(0));
    bool diagonal = false;
    for (unsigned int v = 0; v < mesh->mNumVertices; ++v) {
        const aiVector3D& normal = mesh->mNormals[v];
        if (std::fabs(normal.x) > 0.3f && std::fabs(normal.y) > 0.3f && std::fabs(normal.z) > 0.3f) {
            diagonal = true;
        }
    }
    EXPECT_TRUE(diagonal) << "a box corner should get an averaged normal";
}

// Without a TEXCOORD input nothing makes texture coordinates (GenUVCoords only
// converts non-UV mappings), and without them no tangents either.
TEST(LevelFixtures, MissingTextureCoordinatesStayMissing)
{
    std::string text = readText(fixture("no_uvs.dae"));
    EXPECT_EQ(text.find("faultyMesh-uvs"), std::string::npos);

    Loaded level = load(fixture("no_uvs.dae"));
    ASSERT_NE(level.scene, nullptr);
    const aiNode* n = find(level.scene, "faultyMesh");
    ASSERT_NE(n, nullptr);
    ASSERT_EQ(n->mNumMeshes, 1u);
    const aiMesh* mesh = level.scene->mMeshes[n->mMeshes[0]];
    EXPECT_TRUE(mesh->HasNormals());
    EXPECT_FALSE(mesh->HasTextureCoords(0));
    EXPECT_FALSE(mesh->HasTangentsAndBitangents());
}

// A triangle with a repeated corner is split off as a line mesh, and it comes
// first on the node.
TEST(LevelFixtures, RepeatedCornerBecomesALineMesh)
{
    Loaded level = load(fixture("degenerate_triangle.dae"));
    ASSERT_NE(level.scene, nullptr);
    const aiNode* n = find(level.scene, "faultyMesh");
    ASSERT_NE(n, nullptr);
    ASSERT_EQ(n->mNumMeshes, 2u);
    EXPECT_EQ(level.scene->mMeshes[n->mMeshes[0]]->mPrimitiveTypes, static_cast<unsigned int>(aiPrimitiveType_LINE));
    EXPECT_EQ(level.scene->mMeshes[n->mMeshes[1]]->mPrimitiveTypes,
              static_cast<unsigned int>(aiPrimitiveType_TRIANGLE));
}

TEST(LevelFixtures, UnreadableFilesGiveNoScene)
{
    for (const char* name : {"truncated.dae", "garbage.dae"}) {
        SCOPED_TRACE(name);
        std::ifstream exists(fixture(name));
        ASSERT_TRUE(exists.good());
        Loaded level = load(fixture(name));
        EXPECT_EQ(level.scene, nullptr);
    }
}

TEST(LevelFixtures, UnknownPictureFormatIsNamedAndUnrecognisable)
{
    Loaded level = load(fixture("unknown_texture_format.dae"));
    ASSERT_NE(level.scene, nullptr);
    const aiNode* n = find(level.scene, "oddlyTextured");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(diffusePath(level.scene, level.scene->mMeshes[n->mMeshes[0]]), "textures/garbage.xyz");

    std::string path = fixture("textures/garbage.xyz");
    std::ifstream exists(path);
    ASSERT_TRUE(exists.good());
    EXPECT_EQ(FreeImage_GetFileType(path.c_str(), 0), FIF_UNKNOWN);
    EXPECT_EQ(FreeImage_GetFIFFromFilename(path.c_str()), FIF_UNKNOWN);
}

struct Picture {
    const char* file;
    int size;
    int red, green, blue; // bottom-left pixel
};

class FixturePictures : public ::testing::TestWithParam<Picture> {};

TEST_P(FixturePictures, LoadThroughFreeImage)
{
    const Picture& p = GetParam();
    std::string path = fixture(std::string("textures/") + p.file);
    ASSERT_EQ(FreeImage_GetFileType(path.c_str(), 0), FIF_PNG);
    FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(static_cast<int>(FreeImage_GetWidth(bitmap)), p.size);
    EXPECT_EQ(static_cast<int>(FreeImage_GetHeight(bitmap)), p.size);
    EXPECT_EQ(FreeImage_GetBPP(bitmap), 24u);
    // Scanline 0 is the picture's bottom row, stored blue first.
    const BYTE* pixel = FreeImage_GetScanLine(bitmap, 0);
    EXPECT_EQ(pixel[FI_RGBA_RED], p.red);
    EXPECT_EQ(pixel[FI_RGBA_GREEN], p.green);
    EXPECT_EQ(pixel[FI_RGBA_BLUE], p.blue);
    FreeImage_Unload(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Textures, FixturePictures,
                         ::testing::Values(Picture{"checker_diffuse.png", 8, 230, 230, 220},
                                           Picture{"stripes_diffuse.png", 8, 200, 60, 40},
                                           Picture{"dots_diffuse.png", 8, 90, 200, 120},
                                           Picture{"flat_normal.png", 4, 128, 128, 255}),
                         [](const ::testing::TestParamInfo<Picture>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

} // namespace
