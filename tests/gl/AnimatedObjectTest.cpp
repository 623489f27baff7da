// Animated objects (the lift, the crane arm) with a real GL context and physics world.

#include "Fixture.h"

#include "scene/AnimatedObject.h"

namespace {

class AnimatedObjectTest : public WorldTest {
protected:
    // Two keys over two seconds, a loop of four: up 4, a quarter turn, scaled 3.
    AnimatedObject* addAnimated(MeshObject* parent, const glm::mat4& matrix = glm::mat4(1.0f))
    {
        AnimationKeys k;
        k.position = {{{0, 0, 0}, {0, 4, 0}}, {0.0, 2.0}};
        k.rotation = {{glm::quat(1, 0, 0, 0), glm::angleAxis(glm::half_pi<float>(), glm::vec3(0, 1, 0))}, {0.0, 2.0}};
        k.scaling = {{{1, 1, 1}, {3, 3, 3}}, {0.0, 2.0}};
        k.duration = 4.0;
        return world->add(std::make_unique<AnimatedObject>(matrix, world->layout(), parent, world->physics(),
                                                           world->meshData(boxArrays({2, 0.25f, 2}), "lift_Anim"), k));
    }
};

// The parent's matrix as it is now times the animated local matrix; the body
// and its shape's scaling follow. Past the last key the last segment goes on;
// the clock wraps at the duration and a reload does not restart it.
TEST_F(AnimatedObjectTest, FollowsItsParentMovesItsBodyAndLoopsThroughAReset)
{
    MeshObject* base = world->addMesh("base", boxArrays({1, 1, 1}), glm::mat4(1.0f), 0);
    AnimatedObject* object = addAnimated(base, translation({5, 5, 5}));
    base->modelMatrix = translation({10, 0, 0}) * glm::rotate(glm::mat4(1.0f), 1.0f, glm::vec3(0, 1, 0));
    object->step(1.0);
    const glm::mat4 expected = base->modelMatrix * translation({0, 2, 0}) *
                               glm::mat4_cast(glm::angleAxis(glm::quarter_pi<float>(), glm::vec3(0, 1, 0))) *
                               glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(object->modelMatrix[c][r], expected[c][r], 1e-5f) << c << ", " << r;
    EXPECT_NEAR(glm::length(positionOf(object->rigidBody) - glm::vec3(10, 2, 0)), 0.0f, 1e-5f);
    EXPECT_NEAR(object->rigidBody->getCollisionShape()->getLocalScaling().y(), 2.0f, 1e-5f);

    // The parent turns about y and moves along x: heights are the animation's own.
    object->step(2.0);
    EXPECT_NEAR(object->modelMatrix[3][1], 6.0f, 1e-5f);
    object->step(1.5);
    EXPECT_NEAR(object->modelMatrix[3][1], 1.0f, 1e-5f);
    object->reset();
    object->step(0.25);
    EXPECT_DOUBLE_EQ(object->animationTime, 0.75);
    EXPECT_NEAR(positionOf(object->rigidBody).y, 1.5f, 1e-5f);
    EXPECT_TRUE(object->moving);
    // Parked between two equal keys (the lift's stops), it stays still.
    object->keys = {{{{0, 3.7f, 0}, {0, 3.7f, 0}}, {0.0, 4.0}}, {}, {}, 4.0};
    int moved = 0;
    for (int i = 0; i < 120; ++i)
        object->step(1.0 / 60.0), moved += i > 0 && object->moving;
    EXPECT_EQ(moved, 0);
}

} // namespace
