// Levels as Blender exports them by default (Z up, the scene's unit; made by
// tools/blender/make_levels.py): the guide's walk-through turned half round, in
// metres, in centimetres, and with a key-framed lift.
#include "Fixture.h"
#include "support/TempDir.h"

#include <glm/gtc/constants.hpp>

#include <fstream>
#include <sstream>

namespace {

const std::string blender = "tests/data/blender/";

class EditorLevels : public GlTest {};

// The corner of a mesh as the level places it that lies furthest along `d`.
glm::vec3 furthest(const MeshObject& object, const glm::vec3& d)
{
    glm::vec3 best(0.0f);
    const std::vector<float>& p = object.mesh.positions;
    for (std::size_t i = 0; i + 2 < p.size(); i += 3) {
        const glm::vec3 corner(object.initialModelMatrix * glm::vec4(p[i], p[i + 1], p[i + 2], 1.0f));
        best = i == 0 || glm::dot(corner, d) > glm::dot(best, d) ? corner : best;
    }
    return best;
}

// Each export stands upright at its size: the floor's and the beacon's
// corners, the player's start and height and the camera on it are those of
// the guide's Y-up level (docs/levels.md) turned half round, and the player
// faces the beacon (the game's -z) as the guide's faces its own (+z).
TEST_F(EditorLevels, BlenderExportsInMetresAndCentimetresStandWhereTheirYUpTwinDoes)
{
    const TempDir folder("editor-levels");
    std::stringstream guide;
    guide << std::ifstream(QUARRYSTACK_SOURCE_DIR "/docs/levels.md").rdbuf();
    const std::size_t begin = guide.str().find("```xml\n") + 7, end = guide.str().find("```", begin);
    std::ofstream((folder.path() / "guide.dae").string()) << guide.str().substr(begin, end - begin);
    LoadedLevel twin(window, (folder.path() / "guide.dae").string());
    const auto halfTurned = [](const glm::vec3& p) { return glm::vec3(-p.x, p.y, -p.z); };
    const auto halfHeight = [](const LoadedLevel& level) {
        return static_cast<const btCapsuleShape*>(level.player()->rigidBody->getCollisionShape())->getHalfHeight();
    };
    EXPECT_NEAR(twin.player()->camera->startHeading, 0.0f, 1e-5f);
    for (const char* file : {"walk.dae", "walk_cm.dae"}) {
        SCOPED_TRACE(file);
        LoadedLevel level(window, blender + file);
        std::vector<std::pair<glm::vec3, glm::vec3>> pairs = {
            {level.player()->startPlace(), halfTurned(twin.player()->startPlace())},
            {level.player()->camera->position, halfTurned(twin.player()->camera->position)}};
        for (const char* name : {"Floor_ground", "beacon_win"})
            for (const glm::vec3 d : {glm::vec3(1, 1, 1), glm::vec3(-1, -1, -1), glm::vec3(1, -1, -1)})
                pairs.emplace_back(furthest(level.object(name), d),
                                   halfTurned(furthest(twin.object(name), halfTurned(d))));
        for (const auto& [found, expected] : pairs)
            EXPECT_LT(glm::distance(found, expected), 2e-3f) << found.x << " " << found.y << " " << found.z;
        EXPECT_NEAR(std::abs(level.player()->camera->startHeading), glm::pi<float>(), 1e-5f);
        EXPECT_NEAR(halfHeight(level), halfHeight(twin), 1e-4f);
    }
}

// Blender key frames a lift's height at frames 1, 49 and 97 (24 a second):
// 0.1 m, 2.1 m, 0.1 m, and the game plays them as it does its own lifts.
TEST_F(EditorLevels, ABlenderLiftRisesAndFallsOnItsKeyFrames)
{
    LoadedLevel level(window, blender + "lift.dae");
    RigidBody* lift = level.body("Floor_lift_Anim");
    for (const float height : {0.1f, 2.1f, 0.1f}) {
        EXPECT_NEAR(positionOf(lift).y, height, 0.05f);
        level.frames(120);
    }
}

} // namespace
