#include "scene/AnimatedObject.h"

#include "physics/BulletMath.h"
#include "physics/RigidBody.h"

#include "SceneWorld.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <memory>
#include <vector>

namespace {

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected, float tolerance = 1e-5f)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "element [" << c << "][" << r << "]";
}

// A key-frame track the test owns: two keys over two seconds, a loop of four.
struct Track {
    std::vector<glm::vec3> positions{{0, 0, 0}, {0, 4, 0}};
    std::vector<glm::quat> rotations{glm::quat(1, 0, 0, 0), glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 1, 0))};
    std::vector<glm::vec3> scalings{{1, 1, 1}, {3, 3, 3}};
    std::vector<double> times{0.0, 2.0};

    AnimationKeys keys(double duration = 4.0)
    {
        AnimationKeys k;
        k.positionKeyCount = static_cast<int32_t>(positions.size());
        k.rotationKeyCount = static_cast<int32_t>(rotations.size());
        k.scalingKeyCount = static_cast<int32_t>(scalings.size());
        k.positionKeys = positions.data();
        k.rotationKeys = rotations.data();
        k.scalingKeys = scalings.data();
        k.positionTimes = times.data();
        k.rotationTimes = times.data();
        k.scalingTimes = times.data();
        k.duration = duration;
        return k;
    }
};

class AnimatedObjectTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        world = std::make_unique<SceneWorld>(window);
    }
    void TearDown() override { world.reset(); }

    AnimatedObject* addAnimated(const std::string& name, const glm::vec3& half, ImportObject* parent,
                                AnimationKeys keys, const glm::mat4& matrix = glm::mat4(1.0f))
    {
        auto [arrays, triangles] = world->keep(boxArrays(half));
        auto* object = new AnimatedObject(matrix, &world->phong, &world->depth, parent, triangles,
                                          world->physics.get(), arrays->corners(), world->meshData(*arrays, name),
                                          keys);
        world->objects.push_back(object);
        return object;
    }

    static btTransform bodyTransform(ImportObject* object) { return object->rigidBody->getWorldTransform(); }
    static btTransform motionStateTransform(ImportObject* object)
    {
        btTransform t;
        object->rigidBody->getMotionState()->getWorldTransform(t);
        return t;
    }

    std::unique_ptr<SceneWorld> world;
};

TEST_F(AnimatedObjectTest, FollowsItsParentsCurrentMatrix)
{
    ImportObject* base = world->addBox("base", {0, 0, 0}, {1, 1, 1}, 0);
    Track track;
    AnimatedObject* object = addAnimated("lift_Anim", {1, 0.25f, 1}, base, track.keys());

    // The parent's matrix is whatever it is now, not what its body says.
    base->modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(10, 0, 0)) *
                        glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0, 1, 0));
    object->update(0.5);
    EXPECT_DOUBLE_EQ(object->animationTime, 0.5);

    // A quarter of the way: up 1, turned 22.5 degrees, scaled 1.5.
    const glm::mat4 local = glm::translate(glm::mat4(1.0f), glm::vec3(0, 1, 0)) *
                            glm::mat4_cast(slerpShortWay(track.rotations[0], track.rotations[1], 0.25f)) *
                            glm::scale(glm::mat4(1.0f), glm::vec3(1.5f));
    expectMatrixNear(object->modelMatrix, base->modelMatrix * local);

    base->modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(-3, 2, 7));
    object->update(0.0);
    expectMatrixNear(object->modelMatrix, base->modelMatrix * local);
}

TEST_F(AnimatedObjectTest, BodyAndShapeFollowTheAnimation)
{
    Track track;
    const glm::mat4 start = glm::translate(glm::mat4(1.0f), glm::vec3(5, 5, 5));
    AnimatedObject* object = addAnimated("lift_Anim", {1, 0.25f, 1}, nullptr, track.keys(), start);
    const btTransform before = motionStateTransform(object);

    object->update(1.0);
    const btTransform body = bodyTransform(object);
    EXPECT_NEAR(body.getOrigin().x(), 0.0f, 1e-6f);
    EXPECT_NEAR(body.getOrigin().y(), 2.0f, 1e-6f);
    EXPECT_NEAR(body.getOrigin().z(), 0.0f, 1e-6f);
    // Turned 45 degrees about y: +z goes to (sin 45, 0, cos 45).
    const btVector3 z = body.getBasis() * btVector3(0, 0, 1);
    EXPECT_NEAR(z.x(), std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(z.z(), std::sqrt(0.5f), 1e-5f);
    const btVector3 scaling = object->collisionShape->getLocalScaling();
    EXPECT_NEAR(scaling.x(), 2.0f, 1e-5f);
    EXPECT_NEAR(scaling.y(), 2.0f, 1e-5f);
    EXPECT_NEAR(object->maxScale, 2.0f, 1e-5f);
    EXPECT_NEAR(glm::angle(object->orientation), glm::radians(45.0f), 1e-5f);

    // The motion state keeps the start placement; only the body moves.
    EXPECT_EQ(motionStateTransform(object).getOrigin(), before.getOrigin());
}

TEST_F(AnimatedObjectTest, LoopsExtrapolatesAndKeepsItsClockThroughAReset)
{
    Track track;
    AnimatedObject* object = addAnimated("lift_Anim", {1, 0.25f, 1}, nullptr, track.keys());
    EXPECT_EQ(object->animationTime, 0.0);
    EXPECT_TRUE(object->rigidBody->isStaticObject());
    object->update(3.0);
    // Past the last key (2 s) the last segment goes on: 6 units up at 3 s.
    EXPECT_NEAR(object->modelMatrix[3][1], 6.0f, 1e-5f);
    const glm::mat4 atThree = object->modelMatrix;

    object->update(1.5); // 4.5 wraps to 0.5
    EXPECT_DOUBLE_EQ(object->animationTime, 0.5);
    EXPECT_NEAR(object->modelMatrix[3][1], 1.0f, 1e-5f);
    object->update(2.5);
    expectMatrixNear(object->modelMatrix, atThree);

    // A reload does not restart the clock.
    object->reset();
    EXPECT_DOUBLE_EQ(object->animationTime, 3.0);
    EXPECT_TRUE(object->rigidBody->isInWorld());
    object->update(0.25);
    EXPECT_DOUBLE_EQ(object->animationTime, 3.25);
    EXPECT_NEAR(bodyTransform(object).getOrigin().y(), 6.5f, 1e-5f);
}

TEST_F(AnimatedObjectTest, NoKeysAndNoDurationHoldStill)
{
    AnimationKeys empty; // zero counts, null arrays, duration 0
    ImportObject* base = world->addBox("base", {0, 0, 0}, {1, 1, 1}, 0);
    base->modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    AnimatedObject* object = addAnimated("still_Anim", {1, 1, 1}, base, empty);
    for (int i = 0; i < 3; ++i)
        object->update(1.0 / 60.0);
    EXPECT_EQ(object->animationTime, 0.0);
    expectMatrixNear(object->modelMatrix, base->modelMatrix);
    EXPECT_TRUE(std::isfinite(bodyTransform(object).getOrigin().x()));
    EXPECT_NEAR(bodyTransform(object).getOrigin().z(), 3.0f, 1e-6f);
}

TEST_F(AnimatedObjectTest, DynamicBodiesLandWhereThePlatformIsDrawn)
{
    // One position key holds the platform 20 units away from its imported
    // place; with nothing else below, a crate dropped there only stops if the
    // world sees the platform where the animation put it.
    Track track;
    track.positions = {{20, 0, 0}};
    track.rotations = {glm::quat(1, 0, 0, 0)};
    track.scalings = {{1, 1, 1}};
    track.times = {0.0};
    AnimatedObject* platform = addAnimated("platform_Anim", {2, 0.25f, 2}, nullptr, track.keys(2.0));
    ImportObject* crate = world->addBox("dynamicCrate", {20, 3, 0}, {0.5f, 0.5f, 0.5f}, 1);
    platform->update(1.0 / 60.0);
    for (int i = 0; i < 120; ++i) {
        world->physics->stepSimulation(1.0 / 60.0);
        platform->update(1.0 / 60.0);
    }
    btTransform t;
    crate->rigidBody->getMotionState()->getWorldTransform(t);
    EXPECT_NEAR(t.getOrigin().y(), 0.75f, 0.1f);
    // A box landing across the diagonal of two triangles slides a little
    // (as it does on a plain static box); it stays on the platform.
    EXPECT_NEAR(t.getOrigin().x(), 20.0f, 1.0f);
}

} // namespace
