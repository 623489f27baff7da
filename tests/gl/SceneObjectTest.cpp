// Mesh and animated objects with a real GL context and physics world.

#include "Fixture.h"

#include "scene/AnimatedObject.h"

namespace {

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], 1e-5f) << "[" << c << "][" << r << "]";
}
glm::mat4 translation(const glm::vec3& v) { return glm::translate(glm::mat4(1.0f), v); }

class SceneObjectTest : public WorldTest {
protected:
    // Two keys over two seconds, a loop of four: up 4, a quarter turn, scaled 3.
    AnimatedObject* addAnimated(ImportObject* parent, const glm::mat4& matrix = glm::mat4(1.0f))
    {
        AnimationKeys k;
        k.positionKeyCount = k.rotationKeyCount = k.scalingKeyCount = int32_t(times.size());
        k.positionKeys = positions.data();
        k.rotationKeys = rotations.data();
        k.scalingKeys = scalings.data();
        k.positionTimes = k.rotationTimes = k.scalingTimes = times.data();
        k.duration = 4.0;
        auto [data, triangles] = world->keep(boxArrays({2, 0.25f, 2}), "lift_Anim");
        auto* object = new AnimatedObject(matrix, &world->phong, &world->depth, parent, triangles,
                                          world->physics.get(), world->corners(), std::move(data), k);
        world->objects.push_back(object);
        return object;
    }

    std::vector<glm::vec3> positions{{0, 0, 0}, {0, 4, 0}};
    std::vector<glm::quat> rotations{glm::quat(1, 0, 0, 0), glm::angleAxis(glm::half_pi<float>(), glm::vec3(0, 1, 0))};
    std::vector<glm::vec3> scalings{{1, 1, 1}, {3, 3, 3}};
    std::vector<double> times{0.0, 2.0};
};

TEST_F(SceneObjectTest, UpdateFollowsTheBodyAndResetPutsItBackStill)
{
    const glm::mat4 matrix = translation({1, 2, 3}) * glm::rotate(glm::mat4(1.0f), 0.5f, glm::vec3(1, 0, 0)) *
                             glm::scale(glm::mat4(1.0f), {2, 5, 3});
    ImportObject* object = world->addMesh("dynamicBox", boxArrays(glm::vec3(0.5f)), matrix, 1);
    object->modelMatrix = glm::mat4(1.0f);
    object->update(0.0);
    expectMatrixNear(object->modelMatrix, matrix);
    for (int i = 0; i < 30; ++i)
        world->physics->stepSimulation(1.0 / 60.0);
    object->update(0.0);
    ASSERT_LT(object->modelMatrix[3][1], 1.5f) << "fallen";
    EXPECT_NEAR(glm::length(glm::vec3(object->modelMatrix[1])), 5.0f, 1e-4f) << "the scale stays";
    object->reset();
    object->update(0.0);
    expectMatrixNear(object->modelMatrix, matrix);
    EXPECT_EQ(object->rigidBody->getLinearVelocity(), btVector3(0, 0, 0));
    EXPECT_EQ(object->rigidBody->getAngularVelocity(), btVector3(0, 0, 0));
}

// The parent's matrix as it is now times the animated local matrix; the body
// and its shape's scaling follow, the motion state keeps the start placement.
TEST_F(SceneObjectTest, AnimatedObjectFollowsItsParentAndMovesItsBody)
{
    ImportObject* base = world->addBox("base", {}, {1, 1, 1}, 0);
    AnimatedObject* object = addAnimated(base, translation({5, 5, 5}));
    base->modelMatrix = translation({10, 0, 0}) * glm::rotate(glm::mat4(1.0f), 1.0f, glm::vec3(0, 1, 0));
    object->update(1.0);
    const glm::mat4 local = translation({0, 2, 0}) *
                            glm::mat4_cast(glm::angleAxis(glm::quarter_pi<float>(), glm::vec3(0, 1, 0))) *
                            glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));
    expectMatrixNear(object->modelMatrix, base->modelMatrix * local);
    EXPECT_NEAR(glm::length(positionOf(object->rigidBody) - glm::vec3(10, 2, 0)), 0.0f, 1e-5f);
    EXPECT_NEAR(object->collisionShape->getLocalScaling().y(), 2.0f, 1e-5f);
    btTransform state;
    object->rigidBody->getMotionState()->getWorldTransform(state);
    EXPECT_EQ(state.getOrigin(), btVector3(5, 5, 5)) << "only the body moves";
}

// Past the last key the last segment goes on; the clock wraps at the
// duration and a reload does not restart it.
TEST_F(SceneObjectTest, AnimationLoopsAndKeepsItsClockThroughAReset)
{
    AnimatedObject* object = addAnimated(nullptr);
    object->update(3.0);
    EXPECT_NEAR(object->modelMatrix[3][1], 6.0f, 1e-5f);
    object->update(1.5);
    EXPECT_DOUBLE_EQ(object->animationTime, 0.5);
    EXPECT_NEAR(object->modelMatrix[3][1], 1.0f, 1e-5f);
    object->reset();
    object->update(0.25);
    EXPECT_DOUBLE_EQ(object->animationTime, 0.75);
    EXPECT_NEAR(object->rigidBody->getWorldTransform().getOrigin().y(), 1.5f, 1e-5f);
}

} // namespace
