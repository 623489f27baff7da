// The sky pass over the game's own picture, on the 640 × 360 window. (That it
// leaves alone whatever the level drew shows in every golden view.)

#include "Fixture.h"

#include "render/Picture.h"
#include "render/Sky.h"

namespace {

class SkyTest : public GlTest {
protected:
    // The pixel in the middle of the screen with the eye at the origin looking along `direction`.
    Rgba centreLooking(glm::vec3 direction, glm::vec3 up = {0, 1, 0})
    {
        const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 16.0f / 9.0f, 0.1f, 100.0f);
        sky.draw(projection * glm::lookAt(glm::vec3(0, 5, 0), glm::vec3(0, 5, 0) + direction, up));
        return readBack().at(320, 180);
    }
    GLFWwindow* context = sharedGlContext(); // before the program
    Sky sky{valueOrThrow(loadProgram(sourceDir + "Shader/", "sky")),
            valueOrThrow(loadPicture(sourceDir + "Textures/sky/dusk.png"))};
};

// Overhead the dusk's deep blue, at the horizon its warm glow (the picture
// the right way up, whatever way the viewer faces); and the state it found.
TEST_F(SkyTest, OverheadIsBlueAndTheHorizonWarmInEveryDirection)
{
    clearScreen();
    const Rgba zenith = centreLooking({0, 1, 0}, {0, 0, 1});
    EXPECT_LT(zenith[0], 60);
    EXPECT_GT(zenith[2], zenith[0] + 20);
    for (const glm::vec3 direction : {glm::vec3(1, 0.02f, 0), glm::vec3(0, 0.02f, -1), glm::vec3(-0.7f, 0.02f, 0.7f)}) {
        const Rgba horizon = centreLooking(direction);
        EXPECT_GT(horizon[0], horizon[2] + 40) << direction.x << " " << direction.z;
    }
    EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_EQ(glInteger(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
