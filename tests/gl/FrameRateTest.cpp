// The same input script in real seconds at 3 to 1000 frames a second, on a fake clock: the mouse
// look, the walk, the jump and a rider on a lift come out as at 60.

#include "Fixture.h"

#include "scene/AnimatedObject.h"

#include <cmath>

namespace {

constexpr double rates[] = {3, 10, 30, 60, 144, 1000};
const glm::dvec2 centre(320.0, 180.0);

// What one rate measured, compared with the 60 fps row.
struct Measured {
    float yaw = 0.0f;      // after 100 px of mouse travel
    float walked = 0.0f;   // in 2 s of W
    float jumpTop = 0.0f;  // above the standing height, after a 10 ms tap of space
    double toTop = 0.0;    // physics time from the tap's step to the top
    glm::vec2 rider{0.0f}; // the lowest and highest the rider's centre stands above the lift's
};

class FrameRateTest : public WorldTest {
protected:
    // Runs frames of 1/fps for `seconds`; `script(t0, t1)` sets the input of the frame from t0 to t1.
    template <typename Script> void play(double fps, double seconds, Script script)
    {
        const long frames = std::lround(seconds * fps);
        for (long i = 0; i < frames; ++i) {
            script(double(i) / fps, double(i + 1) / fps);
            world->frame(1.0 / fps);
        }
    }
    void fresh()
    {
        world.reset(); // gives the input back before the next world takes it
        world = std::make_unique<SceneWorld>(sharedGlContext());
        input::clearPresses();
    }
    // A fresh world: a wide floor, the player settled on it at 60 fps, the cursor centred.
    PlayerObject* standOnFloor()
    {
        fresh();
        world->addMesh("Floor1", boxArrays({60, 0.5f, 60}), translation({0, -0.5f, 0}), 0);
        PlayerObject* p = world->addPlayer({0, 1.0f, 0});
        world->input.focus = true;
        world->frames(60);
        return p;
    }
    // Calls `sample` before every physics sub-step with the physics time so far.
    void watchSteps(std::function<void(double)> sample)
    {
        world->physics().preStep = [sample, levelStep = world->physics().preStep, t = 0.0](double dt) mutable {
            sample(t);
            levelStep(dt);
            t += dt;
        };
    }

    Measured measure(double fps)
    {
        Measured m;
        PlayerObject* p = standOnFloor();
        play(fps, 1.0, [&](double, double) { world->input.cursor = centre + glm::dvec2(100.0 / fps, 0); });
        m.yaw = p->camera->horizontalAngle;

        p = standOnFloor();
        const glm::vec3 start = positionOf(p->rigidBody);
        world->input.pressed = {GLFW_KEY_W};
        play(fps, 2.0, [](double, double) {});
        m.walked = glm::length(glm::vec2(positionOf(p->rigidBody).x - start.x, positionOf(p->rigidBody).z - start.z));

        // The tap from 0.1 s to 0.11 s: frames that start in it see space held, the key event
        // reaches the step wherever the frames fall.
        p = standOnFloor();
        const float standing = positionOf(p->rigidBody).y;
        double tapStep = -1.0;
        watchSteps([&](double t) {
            const float y = positionOf(p->rigidBody).y;
            if (tapStep < 0.0 && p->rigidBody->getLinearVelocity().y() > 1.0f)
                tapStep = t;
            if (y - standing > m.jumpTop) {
                m.jumpTop = y - standing;
                m.toTop = t - tapStep;
            }
        });
        play(fps, 1.5, [&](double t0, double t1) {
            world->input.pressed.clear();
            if (t0 <= 0.1 && t1 > 0.1)
                input::notePress(GLFW_KEY_SPACE);
            if (t0 >= 0.1 && t0 < 0.11)
                world->input.pressed = {GLFW_KEY_SPACE};
        });
        m.rider = riderHeights(fps);
        return m;
    }

    // A lift rises 2 in 4 s and comes back in the next 4 with a block on it: the lowest and highest
    // the block stands above the lift before each sub-step, all the way up and down.
    glm::vec2 riderHeights(double fps)
    {
        fresh();
        AnimationKeys k;
        k.position = {{{0, 0, 0}, {0, 2, 0}, {0, 0, 0}}, {0.0, 4.0, 8.0}};
        k.duration = 8.0;
        auto* lift = world->add(
            std::make_unique<AnimatedObject>(glm::mat4(1.0f), world->layout(), nullptr, world->physics(),
                                             world->meshData(boxArrays({2, 0.25f, 2}), "lift_Anim"), std::move(k)));
        MeshObject* block = world->addMesh("block", boxArrays({0.5f, 0.5f, 0.5f}), translation({0, 0.75f, 0}), 1);
        float low = 1e9f, high = -1e9f;
        watchSteps([&](double t) {
            if (t < 0.5) // settling from where it was put
                return;
            const float above = positionOf(block->rigidBody).y - positionOf(lift->rigidBody).y;
            low = std::min(low, above);
            high = std::max(high, above);
        });
        play(fps, 8.0, [](double, double) {});
        return {low, high};
    }
};

TEST_F(FrameRateTest, TheGamePlaysAsAt60)
{
    const Measured at60 = measure(60);
    EXPECT_GT(at60.walked, 9.5f);
    EXPECT_GT(at60.jumpTop, 1.5f);
    // Both halves 0.25 and 0.5 tall: the block's bottom above the lift's top, at most its margin.
    EXPECT_GT(at60.rider[0], 0.75f);
    EXPECT_LT(at60.rider[1], 0.81f);
    for (double fps : rates) {
        const Measured m = measure(fps);
        SCOPED_TRACE(testing::Message() << fps << " fps");
        EXPECT_NEAR(m.yaw, at60.yaw, 0.01f * std::fabs(at60.yaw));
        EXPECT_NEAR(m.walked, at60.walked, 0.02f * at60.walked);
        EXPECT_NEAR(m.jumpTop, at60.jumpTop, 0.03f * at60.jumpTop) << "the 10 ms tap jumps";
        EXPECT_NEAR(m.toTop, at60.toTop, 0.03 * at60.toTop);
        EXPECT_NEAR(m.rider[0], at60.rider[0], 0.03f) << "sank into the lift";
        EXPECT_NEAR(m.rider[1], at60.rider[1], 0.03f) << "lifted off";
    }
}

} // namespace

// The way out of the shipped level: push the block against the ledge, climb it with held space
// (only a step that touches the ledge's lip gives the jump back its forward speed), east along the
// cliff and a running jump over the trench to the beacon. It needed frames of 0.1 s or less while
// the controls ran once a frame.
TEST_F(FrameRateTest, TheBlockClimbReachesTheBeacon)
{
    const struct {
        std::set<int> keys;
        double seconds;
    } route[] = {{{GLFW_KEY_W}, 3.0}, {{GLFW_KEY_W, GLFW_KEY_SPACE}, 5.0},  {{GLFW_KEY_W}, 1.0},
                 {{GLFW_KEY_A}, 0.8}, {{GLFW_KEY_A, GLFW_KEY_SPACE}, 0.25}, {{GLFW_KEY_A}, 3.0}};
    for (double fps : {60.0, 3.0}) {
        SCOPED_TRACE(testing::Message() << fps << " fps");
        world.reset();
        auto level = std::make_unique<LoadedLevel>(sharedGlContext());
        double clock = 0.0, end = 0.0;
        for (const auto& leg : route) {
            level->input.pressed = leg.keys;
            for (end += leg.seconds; clock < end - 1e-9 && !level->menu.showing(); clock += 1.0 / fps)
                level->frame(1.0 / fps);
        }
        EXPECT_EQ(level->menu.screen(), MenuState::Screen::Win)
            << "stopped at " << level->playerAt().x << ", " << level->playerAt().y << ", " << level->playerAt().z;
    }
}
