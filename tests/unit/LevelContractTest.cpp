// The shipped level read through Assimp with the game's flags: the naming
// contract, the vertex data every mesh needs, and the design rules the route
// depends on.

#include "LevelScene.h"

#include "scene/BoundingSphere.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

using namespace levelscene;

class LevelContract : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        level = new Loaded(load(sourcePath("Data/LevelFinal.dae")));
    }
    static void TearDownTestSuite()
    {
        delete level;
        level = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(level->scene, nullptr) << level->importer->GetErrorString();
        scene = level->scene;
    }

    const aiNode* node(const std::string& name) const
    {
        std::vector<const aiNode*> found = nodesNamed(scene, [&](const std::string& n) { return n == name; });
        return found.size() == 1 ? found[0] : nullptr;
    }

    static Loaded* level;
    const aiScene* scene = nullptr;
};

Loaded* LevelContract::level = nullptr;

bool beginsWith(const std::string& name, const std::string& prefix)
{
    return name.compare(0, prefix.size(), prefix) == 0;
}

// Triangles, normals and texture coordinates are the level check's business
// (LevelCheckTest runs it on this file). Back faces are culled: each triangle
// must run counter-clockwise seen from outside. Its corners' normals agree
// with the winding (flat shading), and every mesh is closed with outward
// faces, so its signed volume is positive.
TEST_F(LevelContract, TrianglesHaveTangentsFaceOutwardsAndAgreeWithTheirNormals)
{
    ASSERT_GT(scene->mNumMeshes, 0u);
    unsigned int faces = 0;
    for (unsigned int i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        SCOPED_TRACE(mesh->mName.C_Str());
        ASSERT_TRUE(mesh->HasNormals());
        EXPECT_TRUE(mesh->HasTangentsAndBitangents());
        faces += mesh->mNumFaces;
        double volume = 0.0;
        int disagreeing = 0;
        for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            ASSERT_EQ(face.mNumIndices, 3u);
            const aiVector3D& a = mesh->mVertices[face.mIndices[0]];
            const aiVector3D& b = mesh->mVertices[face.mIndices[1]];
            const aiVector3D& c = mesh->mVertices[face.mIndices[2]];
            aiVector3D n = (b - a) ^ (c - a);
            ASSERT_GT(n.Length(), 1e-6f) << "zero-area triangle " << f;
            n.Normalize();
            for (unsigned int k = 0; k < 3; ++k) {
                if (n * mesh->mNormals[face.mIndices[k]] < 0.99f) {
                    ++disagreeing;
                }
            }
            volume += (a * (b ^ c)) / 6.0;
        }
        EXPECT_EQ(disagreeing, 0);
        EXPECT_GT(volume, 0.0);
    }
    // llvmpipe draws every triangle once per shadow face and light as well.
    EXPECT_LT(faces, 3000u);
}

// Texture coordinates run in world units, so large pieces repeat their
// texture instead of stretching one copy over the whole quarry.
TEST_F(LevelContract, FloorTexturesRepeatAcrossTheQuarry)
{
    const aiNode* floor = node("Floor_quarry");
    ASSERT_NE(floor, nullptr);
    const aiMesh* mesh = scene->mMeshes[floor->mMeshes[0]];
    ASSERT_TRUE(mesh->HasTextureCoords(0));
    float low = 1e30f;
    float high = -1e30f;
    for (unsigned int v = 0; v < mesh->mNumVertices; ++v) {
        low = std::min(low, mesh->mTextureCoords[0][v].x);
        high = std::max(high, mesh->mTextureCoords[0][v].x);
    }
    EXPECT_GT(high - low, 5.0f);
}

TEST_F(LevelContract, HasThreeAmbientLightsWithPowerEachOnARootNode)
{
    ASSERT_EQ(scene->mNumLights, 3u);
    std::set<std::string> names;
    for (unsigned int i = 0; i < scene->mNumLights; ++i) {
        const aiLight* light = scene->mLights[i];
        SCOPED_TRACE(light->mName.C_Str());
        names.insert(light->mName.C_Str());
        EXPECT_GT(light->mColorAmbient.r + light->mColorAmbient.g + light->mColorAmbient.b, 0.0f);
        // Lamps a few units above what they light: the shader gives 4 × power
        // with inverse-square falloff, so a power of 2 to 20 lights without
        // washing the quarry out.
        EXPECT_GE(light->mAttenuationLinear, 2.0f);
        EXPECT_LE(light->mAttenuationLinear, 20.0f);
        // The game reads the light's place from the node's own matrix.
        EXPECT_NE(rootChild(scene, light->mName.C_Str()), nullptr);
    }
    EXPECT_EQ(names.size(), 3u);
    // With the two built-in lights that makes five: every light casts a shadow.
    EXPECT_LE(scene->mNumLights + 2, 5u);
}

TEST_F(LevelContract, HasTheCameraNodesAtTheRoot)
{
    ASSERT_GE(scene->mNumCameras, 1u);
    EXPECT_NE(rootChild(scene, scene->mCameras[0]->mName.C_Str()), nullptr);
    EXPECT_NE(rootChild(scene, "camera1_aim"), nullptr);
    EXPECT_NE(rootChild(scene, "camera1_up"), nullptr);
}

TEST_F(LevelContract, EveryAnimNodeHasAChannelCoveringTheWholeLoop)
{
    ASSERT_GE(scene->mNumAnimations, 1u);
    const aiAnimation* animation = scene->mAnimations[0];
    // Assimp hands Collada key times back in milliseconds.
    EXPECT_DOUBLE_EQ(animation->mTicksPerSecond, 1000.0);
    ASSERT_GT(animation->mDuration, 0.0);

    std::vector<const aiNode*> animated = nodesNamed(scene, [](const std::string& n) { return suffix(n) == "Anim"; });
    ASSERT_GE(animated.size(), 2u);
    for (const aiNode* n : animated) {
        SCOPED_TRACE(n->mName.C_Str());
        const aiNodeAnim* channel = nullptr;
        for (unsigned int c = 0; c < animation->mNumChannels; ++c) {
            if (animation->mChannels[c]->mNodeName == n->mName) {
                channel = animation->mChannels[c];
            }
        }
        ASSERT_NE(channel, nullptr);
        // The game loops every object over the animation's duration and
        // extrapolates past a track's last key: each moving track must run
        // from 0 to the end.
        auto spans = [&](double first, double last, unsigned int count) {
            if (count > 1) {
                EXPECT_DOUBLE_EQ(first, 0.0);
                EXPECT_DOUBLE_EQ(last, animation->mDuration);
            }
        };
        spans(channel->mPositionKeys[0].mTime, channel->mPositionKeys[channel->mNumPositionKeys - 1].mTime,
              channel->mNumPositionKeys);
        spans(channel->mRotationKeys[0].mTime, channel->mRotationKeys[channel->mNumRotationKeys - 1].mTime,
              channel->mNumRotationKeys);
        EXPECT_GT(channel->mNumPositionKeys + channel->mNumRotationKeys, 2u) << "the channel does not move";
    }
}

TEST_F(LevelContract, TheLiftIsAFloorAndTheCraneArmHangsOnAMesh)
{
    const aiNode* lift = node("Floor_lift_Anim");
    ASSERT_NE(lift, nullptr);

    const aiNode* arm = node("crane_arm_Anim");
    ASSERT_NE(arm, nullptr);
    ASSERT_NE(arm->mParent, nullptr);
    EXPECT_NE(arm->mParent, scene->mRootNode);
    EXPECT_GE(arm->mParent->mNumMeshes, 1u) << "the arm's parent must make an object to follow";
}

TEST_F(LevelContract, BodyNamesFillEveryListAndWinAndLooseOnlyWhereMeant)
{
    std::vector<const aiNode*> floors = nodesNamed(scene, [](const std::string& n) { return beginsWith(n, "Floor"); });
    std::vector<const aiNode*> dynamics =
        nodesNamed(scene, [](const std::string& n) { return beginsWith(n, "dynamic"); });
    std::vector<const aiNode*> wins =
        nodesNamed(scene, [](const std::string& n) { return n.find("win") != std::string::npos; });
    std::vector<const aiNode*> looses =
        nodesNamed(scene, [](const std::string& n) { return n.find("loose") != std::string::npos; });
    EXPECT_GE(floors.size(), 3u);
    EXPECT_GE(dynamics.size(), 3u);
    ASSERT_EQ(wins.size(), 1u);
    EXPECT_STREQ(wins[0]->mName.C_Str(), "beacon_win");
    ASSERT_EQ(looses.size(), 1u);
    EXPECT_STREQ(looses[0]->mName.C_Str(), "pit_loose");
    for (const aiNode* n : dynamics) {
        EXPECT_NE(suffix(n->mName.C_Str()), "Anim") << n->mName.C_Str() << " would lose its mass";
    }
}

// The only pictures the level may name; the art lives in Textures/new/.
const std::set<std::string> kPictures = {
    "rock_diffuse.png",   "rock_normal.png",   "gravel_diffuse.png", "gravel_normal.png",
    "block_diffuse.png",  "block_normal.png",  "metal_diffuse.png",  "metal_normal.png",
    "wood_diffuse.png",   "wood_normal.png",   "goal_diffuse.png",   "goal_normal.png",
    "hazard_diffuse.png", "hazard_normal.png", "player_diffuse.png", "player_normal.png",
};

std::string fileName(const aiString& path)
{
    std::string p = path.C_Str();
    size_t slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

TEST_F(LevelContract, MaterialsNameKnownPicturesAndSetTheirColours)
{
    bool emissive = false;
    for (unsigned int i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial* material = scene->mMaterials[i];
        aiString diffuse;
        aiString normal;
        ASSERT_EQ(material->GetTexture(aiTextureType_DIFFUSE, 0, &diffuse), AI_SUCCESS);
        ASSERT_EQ(material->GetTexture(aiTextureType_NORMALS, 0, &normal), AI_SUCCESS);
        std::string d = fileName(diffuse);
        std::string n = fileName(normal);
        EXPECT_EQ(kPictures.count(d), 1u) << d;
        EXPECT_EQ(kPictures.count(n), 1u) << n;
        EXPECT_EQ(d.substr(0, d.find('_')), n.substr(0, n.find('_'))) << "pairs " << d << " with " << n;

        aiColor4D specular;
        ASSERT_EQ(material->Get(AI_MATKEY_COLOR_SPECULAR, specular), AI_SUCCESS);
        EXPECT_GT(specular.r + specular.g + specular.b, 0.0f) << d;
        float shininess = 0.0f;
        ASSERT_EQ(material->Get(AI_MATKEY_SHININESS, shininess), AI_SUCCESS);
        EXPECT_GE(shininess, 16.0f) << d;
        EXPECT_LE(shininess, 64.0f) << d;
        aiColor4D emission;
        if (material->Get(AI_MATKEY_COLOR_EMISSIVE, emission) == AI_SUCCESS &&
            emission.r + emission.g + emission.b > 0.0f) {
            emissive = true;
            EXPECT_EQ(d, "goal_diffuse.png") << "only the beacon glows";
        }
    }
    EXPECT_TRUE(emissive);
}

// The player's capsule, as the game makes it from the player mesh: radius
// 0.5 × the Ritter sphere of the triangle corners, cylinder height the mesh's
// y extent, both halved by the capsule's scaling.
struct Capsule {
    float radius;
    float halfHeight;
};

Capsule playerCapsule(const aiMesh* mesh)
{
    std::vector<glm::vec3> corners;
    float low = 1e30f, high = -1e30f;
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        for (unsigned int k = 0; k < mesh->mFaces[f].mNumIndices; ++k) {
            const aiVector3D& p = mesh->mVertices[mesh->mFaces[f].mIndices[k]];
            corners.emplace_back(p.x, p.y, p.z);
            low = std::min(low, p.y);
            high = std::max(high, p.y);
        }
    }
    const float radius = 0.25f * computeBoundingSphere(corners).radius;
    return {radius, 0.25f * (high - low) + radius};
}

// Jump speed 6 against gravity 10 lifts the capsule by 1.8.
constexpr float kJumpHeight = 1.8f;

TEST_F(LevelContract, PlayerStartsJustAboveTheQuarryFloor)
{
    const aiNode* player = node("player");
    const aiNode* floor = node("Floor_quarry");
    ASSERT_NE(player, nullptr);
    ASSERT_NE(floor, nullptr);
    Capsule capsule = playerCapsule(scene->mMeshes[player->mMeshes[0]]);
    aiVector3D start = translation(globalTransform(player));
    float floorTop = worldBounds(scene, floor).high.y;
    float gap = start.y - capsule.halfHeight - floorTop;
    EXPECT_GE(gap, 0.0f);
    EXPECT_LE(gap, 0.2f);
}

// Any touch of a Floor body counts as ground, and holding jump re-jumps on
// every grounded frame: a lip the capsule's top can touch at the top of a jump
// can be climbed. So the upper level's floor must start above the capsule's
// top at a jump from the quarry floor, and below it at a jump from a block.
TEST_F(LevelContract, UpperLevelNeedsABlockOrTheLift)
{
    const aiNode* player = node("player");
    const aiNode* quarry = node("Floor_quarry");
    const aiNode* ledge = node("Floor_ledge");
    const aiNode* block = node("dynamicBlock1");
    const aiNode* lift = node("Floor_lift_Anim");
    ASSERT_TRUE(player && quarry && ledge && block && lift);
    Capsule capsule = playerCapsule(scene->mMeshes[player->mMeshes[0]]);
    float height = 2.0f * capsule.halfHeight;
    float floorTop = worldBounds(scene, quarry).high.y;
    Bounds ledgeBounds = worldBounds(scene, ledge);
    float blockTop = worldBounds(scene, block).high.y;

    EXPECT_GT(ledgeBounds.low.y, floorTop + kJumpHeight + height + 0.1f) << "reachable without help";
    EXPECT_LT(ledgeBounds.high.y, blockTop + kJumpHeight + height - 0.5f) << "out of reach from the block";

    // The lift's travel joins the two floors: its top starts at the quarry
    // floor and stops at the ledge.
    const aiAnimation* animation = scene->mAnimations[0];
    const aiNodeAnim* channel = nullptr;
    for (unsigned int c = 0; c < animation->mNumChannels; ++c) {
        if (animation->mChannels[c]->mNodeName == lift->mName) {
            channel = animation->mChannels[c];
        }
    }
    ASSERT_NE(channel, nullptr);
    float low = 1e30f;
    float high = -1e30f;
    for (unsigned int k = 0; k < channel->mNumPositionKeys; ++k) {
        low = std::min(low, channel->mPositionKeys[k].mValue.y);
        high = std::max(high, channel->mPositionKeys[k].mValue.y);
    }
    const aiMesh* liftMesh = scene->mMeshes[lift->mMeshes[0]];
    float liftTop = -1e30f;
    for (unsigned int v = 0; v < liftMesh->mNumVertices; ++v) {
        liftTop = std::max(liftTop, liftMesh->mVertices[v].y);
    }
    EXPECT_NEAR(low + liftTop, floorTop, 0.05f);
    EXPECT_NEAR(high + liftTop, ledgeBounds.high.y, 0.05f);
}

} // namespace
