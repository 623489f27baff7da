// The level files read through Assimp with the game's flags: the level check
// on the shipped level and on each test level, then the shipped level's
// naming contract, mesh data and the design rules the route depends on.

#include "import/LevelCheck.h"
#include "scene/BoundingSphere.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

const aiScene* load(Assimp::Importer& importer, const std::string& relative)
{
    return importer.ReadFile(std::string(QUARRYSTACK_SOURCE_DIR) + "/" + relative,
                             aiProcessPreset_TargetRealtime_Quality);
}

// Each test level is refused with the message that names its one fault, or
// passes; a test level that stopped showing its fault would leave the tests
// built on it blind.
TEST(LevelCheck, NamesTheFaultOfEachTestLevel)
{
    const std::string nineLights = "Level error: 9 lights; at most 8 fit beside the game's own 2";
    const std::string faulty = " in the mesh of node \"faultyMesh\"";
    const struct {
        std::string file;
        std::string problem; // "-" for a file Assimp cannot read
    } rows[] = {
        {"Data/LevelFinal.dae", ""}, {"names_anim.dae", ""}, {"names_noanim.dae", ""}, {"three_meshes.dae", ""},
        {"textures.dae", ""}, {"two_cameras.dae", ""}, {"no_lights.dae", ""},
        {"unknown_texture_format.dae", ""}, // the texture loader refuses its picture
        {"no_normals.dae", ""},             // Assimp makes smooth normals for it
        {"no_player.dae", "Level error: no node named \"player\" with a mesh"},
        {"no_camera.dae", "Level error: no camera"},
        {"no_camera_nodes.dae", "Level error: the nodes \"camera1_aim\" and \"camera1_up\" are missing"},
        {"nine_lights.dae", nineLights},
        {"no_uvs.dae", "Level error: no texture coordinates" + faulty},
        // Assimp turns a triangle with a repeated corner into a line mesh.
        {"degenerate_triangle.dae", "Level error: faces with fewer than three corners" + faulty},
        {"truncated.dae", "-"}, {"garbage.dae", "-"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        Assimp::Importer importer;
        const aiScene* scene = load(importer, (row.file[0] == 'D' ? "" : "tests/data/levels/") + row.file);
        if (row.problem == "-")
            EXPECT_EQ(scene, nullptr);
        else if (scene)
            EXPECT_EQ(checkLevel(*scene, 2), row.problem);
        else
            ADD_FAILURE() << importer.GetErrorString();
    }
}

class ShippedLevel : public ::testing::Test {
protected:
    static void SetUpTestSuite() { scene = load(importer, "Data/LevelFinal.dae"); }
    void SetUp() override { ASSERT_NE(scene, nullptr); }

    static std::vector<const aiNode*> nodes(const std::function<bool(const std::string&)>& match)
    {
        std::vector<const aiNode*> found;
        std::function<void(const aiNode*)> visit = [&](const aiNode* n) {
            if (n != scene->mRootNode && match(n->mName.C_Str()))
                found.push_back(n);
            for (unsigned i = 0; i < n->mNumChildren; ++i)
                visit(n->mChildren[i]);
        };
        visit(scene->mRootNode);
        return found;
    }
    static const aiNode* node(const std::string& name)
    {
        const auto found = nodes([&](const std::string& n) { return n == name; });
        return found.size() == 1 ? found[0] : nullptr;
    }
    static bool atRoot(const std::string& name)
    {
        const aiNode* n = node(name);
        return n && n->mParent == scene->mRootNode;
    }
    static const aiNodeAnim* channel(const aiNode* n)
    {
        const aiAnimation* animation = scene->mAnimations[0];
        for (unsigned c = 0; c < animation->mNumChannels; ++c)
            if (animation->mChannels[c]->mNodeName == n->mName)
                return animation->mChannels[c];
        return nullptr;
    }
    // World-space lowest and highest y of a node's meshes.
    static std::pair<float, float> heights(const aiNode* n)
    {
        aiMatrix4x4 m = n->mTransformation;
        for (const aiNode* p = n->mParent; p; p = p->mParent)
            m = p->mTransformation * m;
        float low = 1e30f, high = -1e30f;
        for (unsigned i = 0; i < n->mNumMeshes; ++i)
            for (unsigned v = 0; v < scene->mMeshes[n->mMeshes[i]]->mNumVertices; ++v) {
                const float y = (m * scene->mMeshes[n->mMeshes[i]]->mVertices[v]).y;
                low = std::min(low, y), high = std::max(high, y);
            }
        return {low, high};
    }

    static Assimp::Importer importer;
    static const aiScene* scene;
};

Assimp::Importer ShippedLevel::importer;
const aiScene* ShippedLevel::scene = nullptr;

// Back faces are culled: every triangle runs counter-clockwise seen from
// outside, its normals agree (flat shading) and every mesh is closed with
// outward faces, so its signed volume is positive.
TEST_F(ShippedLevel, MeshesAreClosedFlatShadedAndSmall)
{
    unsigned faces = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        SCOPED_TRACE(mesh->mName.C_Str());
        ASSERT_TRUE(mesh->HasNormals());
        EXPECT_TRUE(mesh->HasTangentsAndBitangents());
        faces += mesh->mNumFaces;
        double volume = 0.0;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const unsigned* corner = mesh->mFaces[f].mIndices;
            const aiVector3D& a = mesh->mVertices[corner[0]];
            const aiVector3D& b = mesh->mVertices[corner[1]];
            const aiVector3D& c = mesh->mVertices[corner[2]];
            const aiVector3D n = ((b - a) ^ (c - a)).Normalize();
            for (unsigned k = 0; k < 3; ++k)
                EXPECT_GT(n * mesh->mNormals[corner[k]], 0.99f) << "face " << f;
            volume += (a * (b ^ c)) / 6.0;
        }
        EXPECT_GT(volume, 0.0);
    }
    EXPECT_LT(faces, 3000u) << "llvmpipe draws every triangle once per shadow face and light as well";
}

TEST_F(ShippedLevel, NamesLightsCameraAndAnimationsFitTheGame)
{
    // One win and one lose object; an animated object cannot be movable.
    const auto has = [](const char* part) { return [=](const std::string& n) { return n.find(part) != std::string::npos; }; };
    EXPECT_GE(nodes([](const std::string& n) { return n.rfind("Floor", 0) == 0; }).size(), 3u);
    const auto dynamics = nodes([](const std::string& n) { return n.rfind("dynamic", 0) == 0; });
    EXPECT_GE(dynamics.size(), 3u);
    for (const aiNode* n : dynamics)
        EXPECT_EQ(has("_Anim")(n->mName.C_Str()), false) << n->mName.C_Str();
    ASSERT_EQ(nodes(has("win")).size(), 1u);
    EXPECT_STREQ(nodes(has("win"))[0]->mName.C_Str(), "beacon_win");
    ASSERT_EQ(nodes(has("loose")).size(), 1u);
    EXPECT_STREQ(nodes(has("loose"))[0]->mName.C_Str(), "pit_loose");
    const aiNode* arm = node("crane_arm_Anim");
    ASSERT_TRUE(node("Floor_lift_Anim") && arm);
    EXPECT_TRUE(arm->mParent != scene->mRootNode && arm->mParent->mNumMeshes > 0) << "the arm follows a mesh";

    // The game reads lights and camera nodes from their own matrices: root children.
    EXPECT_TRUE(atRoot("camera1_aim") && atRoot("camera1_up") && atRoot(scene->mCameras[0]->mName.C_Str()));
    ASSERT_EQ(scene->mNumLights, 3u); // with the game's two, every light casts a shadow
    for (unsigned i = 0; i < scene->mNumLights; ++i) {
        const aiLight* light = scene->mLights[i];
        EXPECT_TRUE(atRoot(light->mName.C_Str())) << light->mName.C_Str();
        // 4 x power with inverse-square falloff: 2 to 20 lights without washing out.
        EXPECT_TRUE(light->mAttenuationLinear >= 2.0f && light->mAttenuationLinear <= 20.0f);
        EXPECT_GT(light->mColorAmbient.r + light->mColorAmbient.g + light->mColorAmbient.b, 0.0f);
    }

    // Times come in milliseconds. The game loops every object over the
    // animation's duration: each moving track runs from 0 to the end.
    const aiAnimation* animation = scene->mAnimations[0];
    EXPECT_DOUBLE_EQ(animation->mTicksPerSecond, 1000.0);
    const auto animated = nodes([](const std::string& n) { return n.size() > 5 && n.substr(n.size() - 5) == "_Anim"; });
    EXPECT_GE(animated.size(), 2u);
    for (const aiNode* n : animated) {
        const aiNodeAnim* c = channel(n);
        ASSERT_NE(c, nullptr) << n->mName.C_Str();
        EXPECT_GT(c->mNumPositionKeys + c->mNumRotationKeys, 2u) << n->mName.C_Str();
        for (const auto& keys : {std::make_pair(c->mPositionKeys[0].mTime, c->mPositionKeys[c->mNumPositionKeys - 1].mTime),
                                 std::make_pair(c->mRotationKeys[0].mTime, c->mRotationKeys[c->mNumRotationKeys - 1].mTime)})
            if (keys.first != keys.second)
                EXPECT_TRUE(keys.first == 0.0 && keys.second == animation->mDuration) << n->mName.C_Str();
    }
}

// Texture coordinates run in world units so that big pieces repeat their
// texture; each material pairs a diffuse picture with its own normal map.
TEST_F(ShippedLevel, MaterialsPairKnownPicturesAndOnlyTheBeaconGlows)
{
    const std::set<std::string> materials = {"rock", "gravel", "block", "metal", "wood", "goal", "hazard", "player"};
    int glowing = 0;
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial* material = scene->mMaterials[i];
        aiString diffuse, normal;
        material->GetTexture(aiTextureType_DIFFUSE, 0, &diffuse);
        material->GetTexture(aiTextureType_NORMALS, 0, &normal);
        const std::string d = diffuse.C_Str(), kind = d.substr(d.rfind('/') + 1, d.rfind('_') - d.rfind('/') - 1);
        EXPECT_EQ(materials.count(kind), 1u) << d;
        EXPECT_EQ(d.substr(0, d.rfind('_')) + "_normal.png", normal.C_Str());
        float shininess = 0.0f;
        material->Get(AI_MATKEY_SHININESS, shininess);
        EXPECT_TRUE(shininess >= 16.0f && shininess <= 64.0f) << d;
        aiColor4D emission;
        if (material->Get(AI_MATKEY_COLOR_EMISSIVE, emission) == AI_SUCCESS && emission.r + emission.g + emission.b > 0) {
            EXPECT_EQ(kind, "goal");
            ++glowing;
        }
    }
    EXPECT_GT(glowing, 0);
    const aiMesh* floor = scene->mMeshes[node("Floor_quarry")->mMeshes[0]];
    float low = 1e30f, high = -1e30f;
    for (unsigned v = 0; v < floor->mNumVertices; ++v)
        low = std::min(low, floor->mTextureCoords[0][v].x), high = std::max(high, floor->mTextureCoords[0][v].x);
    EXPECT_GT(high - low, 5.0f);
}

// The route: the player starts just above the quarry floor. Any touch of a
// Floor body grounds, so a lip the capsule's top reaches at the top of a jump
// can be climbed: the ledge must be out of reach from the quarry floor and
// within reach from a block, and the lift must join the two floors.
TEST_F(ShippedLevel, StartAndRouteNeedABlockOrTheLift)
{
    const aiNode* player = node("player");
    ASSERT_TRUE(player && node("Floor_quarry") && node("Floor_ledge") && node("dynamicBlock1"));
    // The game's capsule: radius a quarter of the Ritter sphere, height a
    // quarter of the mesh's y extent, plus the caps.
    const aiMesh* mesh = scene->mMeshes[player->mMeshes[0]];
    std::vector<glm::vec3> corners;
    float low = 1e30f, high = -1e30f;
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        corners.emplace_back(mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z);
        low = std::min(low, corners.back().y), high = std::max(high, corners.back().y);
    }
    const float radius = 0.25f * computeBoundingSphere(corners).radius;
    const float halfHeight = 0.25f * (high - low) + radius;
    const float jump = 1.8f; // speed 6 against gravity 10

    const float floorTop = heights(node("Floor_quarry")).second;
    const float gap = player->mTransformation.b4 - halfHeight - floorTop;
    EXPECT_TRUE(gap >= 0.0f && gap <= 0.2f) << gap;
    const auto ledge = heights(node("Floor_ledge"));
    EXPECT_GT(ledge.first, floorTop + jump + 2 * halfHeight + 0.1f) << "reachable without help";
    EXPECT_LT(ledge.second, heights(node("dynamicBlock1")).second + jump + 2 * halfHeight - 0.5f) << "out of reach";

    const aiNode* lift = node("Floor_lift_Anim");
    const aiNodeAnim* c = channel(lift);
    ASSERT_NE(c, nullptr);
    float top = -1e30f;
    low = 1e30f, high = -1e30f;
    for (unsigned k = 0; k < c->mNumPositionKeys; ++k)
        low = std::min(low, c->mPositionKeys[k].mValue.y), high = std::max(high, c->mPositionKeys[k].mValue.y);
    const aiMesh* ram = scene->mMeshes[lift->mMeshes[0]];
    for (unsigned v = 0; v < ram->mNumVertices; ++v)
        top = std::max(top, ram->mVertices[v].y);
    EXPECT_NEAR(low + top, floorTop, 0.05f);
    EXPECT_NEAR(high + top, ledge.second, 0.05f);
}

} // namespace
