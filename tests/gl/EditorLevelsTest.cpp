// Levels as Blender exports them with its default settings (Z up, the scene's
// unit; tests/data/blender, made by scripts/make-blender-levels.sh): the
// guide's walk-through modelled half a turned round, in metres and in
// centimetres, and with a key-framed lift.
#include "Fixture.h"
#include "support/TempDir.h"

#include <glm/gtc/constants.hpp>

#include <fstream>
#include <sstream>

namespace {

const std::string blender = "tests/data/blender/";

class EditorLevels : public GlTest {
protected:
    // The guide's own level (docs/levels.md), Y up in metres, as a file.
    std::string guideLevel()
    {
        std::ifstream in(QUARRYSTACK_SOURCE_DIR "/docs/levels.md");
        std::stringstream guide;
        guide << in.rdbuf();
        const std::string text = guide.str();
        const std::size_t begin = text.find("```xml\n") + 7, end = text.find("```", begin);
        const std::string path = (folder.path() / "guide.dae").string();
        std::ofstream(path) << text.substr(begin, end - begin);
        return path;
    }
    TempDir folder{"editor-levels"};
};

glm::vec3 halfTurned(const glm::vec3& p) { return {-p.x, p.y, -p.z}; }

// The box around a mesh's corners where the level places them.
Extent placedBox(const MeshObject& object)
{
    Extent box{glm::vec3(1e30f), glm::vec3(-1e30f)};
    const std::vector<float>& p = object.mesh.positions;
    for (std::size_t i = 0; i + 2 < p.size(); i += 3) {
        const glm::vec3 corner(object.initialModelMatrix * glm::vec4(p[i], p[i + 1], p[i + 2], 1.0f));
        box.low = glm::min(box.low, corner);
        box.high = glm::max(box.high, corner);
    }
    return box;
}

void expectNear(const glm::vec3& a, const glm::vec3& b, const char* what)
{
    EXPECT_LT(glm::length(a - b), 2e-3f) << what << ": (" << a.x << ", " << a.y << ", " << a.z << ") against (" << b.x
                                         << ", " << b.y << ", " << b.z << ")";
}

// Each export stands upright at its size: the floor and the beacon, the
// player's start and height, and the camera on it are the guide level's
// turned half round, and
// the player faces the beacon (the game's -z) as the guide's player faces its
// own (+z).
TEST_F(EditorLevels, BlenderExportsInMetresAndCentimetresStandWhereTheirYUpTwinDoes)
{
    LoadedLevel twin(window, guideLevel());
    const auto* twinCapsule = static_cast<const btCapsuleShape*>(twin.player()->rigidBody->getCollisionShape());
    EXPECT_NEAR(twin.player()->camera->startHeading, 0.0f, 1e-5f);
    for (const char* file : {"walk.dae", "walk_cm.dae"}) {
        SCOPED_TRACE(file);
        LoadedLevel level(window, blender + file);
        for (const char* name : {"Floor_ground", "beacon_win"}) {
            const Extent box = placedBox(level.object(name)), twinBox = placedBox(twin.object(name));
            expectNear(box.low, {-twinBox.high.x, twinBox.low.y, -twinBox.high.z}, name);
            expectNear(box.high, {-twinBox.low.x, twinBox.high.y, -twinBox.low.z}, name);
        }
        expectNear(level.player()->startPlace(), halfTurned(twin.player()->startPlace()), "player's start");
        expectNear(level.player()->camera->position, halfTurned(twin.player()->camera->position), "camera");
        EXPECT_NEAR(std::abs(level.player()->camera->startHeading), glm::pi<float>(), 1e-5f);
        const auto* capsule = static_cast<const btCapsuleShape*>(level.player()->rigidBody->getCollisionShape());
        EXPECT_NEAR(capsule->getHalfHeight(), twinCapsule->getHalfHeight(), 1e-4f);
    }
}

// Blender key frames a lift's height at frames 1, 49 and 97 (24 a second):
// 0.1 m, 2.1 m, 0.1 m, and the game plays them as it does its own lifts.
TEST_F(EditorLevels, ABlenderLiftRisesAndFallsOnItsKeyFrames)
{
    LoadedLevel level(window, blender + "lift.dae");
    RigidBody* lift = level.body("Floor_lift_Anim");
    const float start = positionOf(lift).y;
    EXPECT_NEAR(start, 0.1f, 1e-3f);
    level.frames(120);
    EXPECT_NEAR(positionOf(lift).y, 2.1f, 0.05f);
    level.frames(120);
    EXPECT_NEAR(positionOf(lift).y, 0.1f, 0.05f);
}

} // namespace
