// The importer's naming, texture, light and camera rules, read from the
// fixture levels loaded as the game loads a level.
#include "Fixture.h"

#include "scene/AnimatedObject.h"

namespace {

// The fixture levels, loaded as the game's loader hands them over: before any reset or update (`false`).
const std::string levelDir = std::string(QUARRYSTACK_SOURCE_DIR) + "/tests/data/levels/";

MaterialBlock materialOf(const MeshObject* object)
{
    MaterialBlock block{};
    glBindBuffer(GL_UNIFORM_BUFFER, object->mesh.materialBuffer);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof block, &block);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    return block;
}

glm::vec3 translationOf(const MeshObject* object) { return glm::vec3(object->modelMatrix[3]); }

enum class Kind { Player, Animated, Static, Dynamic };

Kind kindOf(const Level& level, MeshObject* object)
{
    if (object == static_cast<MeshObject*>(level.player()))
        return Kind::Player;
    if (dynamic_cast<AnimatedObject*>(object))
        return Kind::Animated;
    return object->rigidBody->getInvMass() > 0.0f ? Kind::Dynamic : Kind::Static;
}

class ImportRulesTest : public GlTest {};

TEST_F(ImportRulesTest, NamesDecideTheKindOfObject)
{
    const struct {
        const char* file;
        const char* name;
        Kind kind;
    } rows[] = {
        {"names_anim.dae", "player", Kind::Player},
        {"names_anim.dae", "Player", Kind::Static},
        {"names_anim.dae", "player_1", Kind::Static},
        {"names_anim.dae", "dynamicCrate", Kind::Dynamic},
        {"names_anim.dae", "crate_dynamic", Kind::Static},
        {"names_anim.dae", "Anim", Kind::Animated},
        {"names_anim.dae", "dynamic_Anim", Kind::Animated},
        // Without key frames the suffix counts for nothing.
        {"names_noanim.dae", "Anim", Kind::Static},
        {"names_one_channel.dae", "Anim", Kind::Animated},
        {"names_one_channel.dae", "dynamic_Anim", Kind::Dynamic},
        // Assimp's aiProcess_GenSmoothNormals, of the game's import flags, makes
        // normals for a mesh that has none: the level loads.
        {"no_normals.dae", "faultyMesh", Kind::Static},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " " + row.name);
        LoadedLevel imported(window, levelDir + row.file, false);
        EXPECT_EQ(kindOf(imported.level(), &imported.object(row.name)), row.kind);
        EXPECT_EQ(imported.object(row.name).rigidBody->name, row.name);
    }
}

TEST_F(ImportRulesTest, AnimChannelGivesKeysInSecondsWithoutOneTheNodeStaysInPlace)
{
    LoadedLevel animated(window, levelDir + "names_anim.dae", false);
    EXPECT_EQ(animated.errors.find("no key frames"), std::string::npos);
    const auto* lift = dynamic_cast<AnimatedObject*>(&animated.object("Anim"));
    ASSERT_NE(lift, nullptr);
    EXPECT_EQ(lift->keys.position.times, (std::vector<double>{0.0, 1.0, 2.0}));
    EXPECT_EQ(lift->keys.position.values[1], glm::vec3(-3.0f, 1.5f, 2.0f));
    EXPECT_EQ(lift->keys.rotation.count(), 1) << "a constant track shrinks to one key";
    EXPECT_DOUBLE_EQ(lift->keys.duration, 2.0);

    // Without any animation the nodes stay where the file puts them.
    LoadedLevel none(window, levelDir + "names_noanim.dae", false);
    EXPECT_EQ(none.errors, "Level warning: 2 nodes are named to move (…_Anim) but have no key frames: \"Anim\", "
                           "\"dynamic_Anim\"; they stay in place\n");
    EXPECT_EQ(translationOf(&none.object("Anim")), glm::vec3(-3.0f, 0.5f, 2.0f));

    // With a channel for another node only (the one-node warning is the level check's, printed as the above).
    LoadedLevel one(window, levelDir + "names_one_channel.dae", false);
    EXPECT_EQ(translationOf(&one.object("dynamic_Anim")), glm::vec3(-1.0f, 0.5f, 2.0f));
}

TEST_F(ImportRulesTest, ThreeMeshesOfOneNodeAreThreeObjectsAndTheChildHangsUnderTheLast)
{
    LoadedLevel imported(window, levelDir + "three_meshes.dae", false);
    MeshObject* meshes[3] = {&imported.object("tripleMesh", 0), &imported.object("tripleMesh", 1),
                             &imported.object("tripleMesh", 2)};
    MeshObject* child = &imported.object("tripleMesh_child");
    EXPECT_EQ(child->parent, meshes[2]);
    std::set<GLuint> materials;
    for (MeshObject* mesh : meshes) {
        EXPECT_EQ(mesh->parent, nullptr);
        materials.insert(mesh->mesh.materialBuffer);
    }
    EXPECT_EQ(materials.size(), 3u) << "one material per mesh";
    // The child's placement is under its parent's: (0, 0.5, 2) + (0, 1, 0).
    EXPECT_EQ(translationOf(child), glm::vec3(0.0f, 1.5f, 2.0f));
}

TEST_F(ImportRulesTest, OneTexturePerPathAndTheTextureCountByMaterial)
{
    LoadedLevel imported(window, levelDir + "textures.dae", false);
    const struct {
        const char* name;
        int32_t textureCount;
    } rows[] = {{"untexturedFirst", 0},
                {"texturedStripes", 2},
                {"untexturedAfter", 0},
                {"texturedStripesShiny", 2},
                {"colourOnly", 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const MeshObject* object = &imported.object(row.name);
        EXPECT_EQ(materialOf(object).textureCount, row.textureCount);
        EXPECT_EQ(object->mesh.colorTexture != 0, row.textureCount >= 1);
        EXPECT_EQ(object->mesh.normalMap != 0, row.textureCount == 2);
    }
    const MeshObject* stripes = &imported.object("texturedStripes");
    const MeshObject* shiny = &imported.object("texturedStripesShiny");
    EXPECT_EQ(stripes->mesh.colorTexture, shiny->mesh.colorTexture) << "two materials, one picture";
    EXPECT_EQ(stripes->mesh.normalMap, shiny->mesh.normalMap);
    EXPECT_NE(stripes->mesh.colorTexture, stripes->mesh.normalMap);
    EXPECT_NE(imported.object("colourOnly").mesh.colorTexture, stripes->mesh.colorTexture);
    EXPECT_EQ(materialOf(shiny).shininess, 64.0f);
    EXPECT_EQ(materialOf(shiny).specular, glm::vec4(0.9f, 0.9f, 0.9f, 1.0f));
    EXPECT_TRUE(glIsTexture(shiny->mesh.colorTexture));
}

// The file's light at its node, ten times its ambient colour, its attenuation
// as the power; the game's two lights follow; shadow units from 2 on.
TEST_F(ImportRulesTest, LightsTakeTenTimesTheAmbientColourTheirPowerAndUnitsFromTwo)
{
    LoadedLevel imported(window, levelDir + "names_anim.dae", false);
    const std::vector<Light*> lights = imported.level().getLights();
    ASSERT_EQ(lights.size(), 3u);
    EXPECT_EQ(lights[0]->position, glm::vec3(-4.0f, 5.0f, 0.0f));
    EXPECT_EQ(lights[0]->color, glm::vec3(0.1f * 10.0f));
    EXPECT_EQ(lights[0]->power, 10.0f);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lights[i]->unit, 2 + i);
}

TEST_F(ImportRulesTest, TheFirstCameraGoesToThePlayerTheRestToTheListAllFromTheFirstCamerasNodes)
{
    LoadedLevel imported(window, levelDir + "two_cameras.dae", false);
    const PlayerObject* player = imported.level().player();
    ASSERT_NE(player, nullptr);
    ASSERT_NE(player->camera, nullptr);
    EXPECT_EQ(player->window, window);
    EXPECT_EQ(player->windowWidth, 640);
    EXPECT_EQ(player->windowHeight, 360);
    const CameraList* list = imported.level().getCameras();
    ASSERT_EQ(list->cameras.size(), 1u);
    for (const Camera* camera : {player->camera.get(), list->cameras[0].get()}) {
        EXPECT_EQ(camera->fieldOfView, tuning::verticalFieldOfView);
        EXPECT_EQ(camera->horizontalAngle, 237.0f);
        EXPECT_EQ(camera->verticalAngle, 131.0f);
        EXPECT_EQ(camera->position, glm::vec3(0.0f, 3.0f, -8.0f)) << "camera1's node, also for camera2";
        EXPECT_EQ(camera->direction, glm::vec3(0.0f, 1.0f, 0.0f)) << "the aim node";
        EXPECT_EQ(camera->up, glm::vec3(0.0f, 1.0f, 0.0f));
        EXPECT_EQ(camera->width, 640.0f);
    }
}

// Level makers hang objects, lights and cameras under group nodes with
// transforms of their own: the level must play as its flattened twin does.
TEST_F(ImportRulesTest, GroupNodesHandTheirTransformsToEveryKindOfNode)
{
    LoadedLevel nested(window, levelDir + "nested.dae", false), flat(window, levelDir + "nested_flat.dae", false);
    const std::vector<MeshObject*> a = nested.level().getObjects(), b = flat.level().getObjects();
    ASSERT_EQ(a.size(), b.size());
    auto near = [](const glm::vec3& x, const glm::vec3& y) { return glm::length(x - y) < 1e-4f; };
    for (size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(a[i]->mesh.name);
        EXPECT_EQ(a[i]->mesh.name, b[i]->mesh.name);
        const btTransform& p = a[i]->rigidBody->getWorldTransform();
        const btTransform& q = b[i]->rigidBody->getWorldTransform();
        EXPECT_TRUE(near(toVec(p.getOrigin()), toVec(q.getOrigin())));
        for (int row = 0; row < 3; ++row)
            EXPECT_TRUE(near(toVec(p.getBasis()[row]), toVec(q.getBasis()[row])));
        EXPECT_TRUE(near(toVec(a[i]->rigidBody->getCollisionShape()->getLocalScaling()),
                         toVec(b[i]->rigidBody->getCollisionShape()->getLocalScaling())));
    }
    for (size_t i = 0; i < 2; ++i)
        EXPECT_TRUE(near(nested.level().getLights()[i]->position, flat.level().getLights()[i]->position)) << i;
    const Camera &eye = *nested.level().player()->camera, &flatEye = *flat.level().player()->camera;
    EXPECT_TRUE(near(eye.position, flatEye.position) && near(eye.direction, flatEye.direction) &&
                near(eye.up, flatEye.up));
    // (A mesh is drawn where its body is: the bodies alike, so are the pictures.)
}

// Paths as other tools write them. (A picture past the size limit is the
// end-to-end test BadInput's LevelTextureTooLarge.)
TEST_F(ImportRulesTest, TexturePathsSplitAtEitherSlash)
{
    LoadedLevel paths(window, levelDir + "texture_paths.dae", false);
    EXPECT_EQ(paths.errors, "Level: the texture paths \"other/checker_diffuse.png\" and "
                            "\"C:\\levels\\textures\\checker_diffuse.png\" both read " +
                                levelDir + "textures/checker_diffuse.png\n");
    EXPECT_NE(paths.object("Floor_base").mesh.colorTexture, 0u);
}

} // namespace
