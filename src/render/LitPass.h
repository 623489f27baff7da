#pragma once

#include "render/GlObjects.h"
#include "render/TextureUnits.h"
#include "render/VertexLayout.h"

#include <glm/glm.hpp>

#include <array>
#include <vector>

// One mesh as the lit pass draws it.
struct LitMesh {
    GLuint vertexArray = 0; // attributes where VertexLayout says, indices bound
    GLsizei indexCount = 0;
    GLuint materialBuffer = 0; // the uniform block "Material"
    GLuint colorTexture = 0;
    GLuint normalMap = 0;
    glm::mat4 model{1.0f};
    // Where WebGL draws the wireframe view: the same attributes with the
    // triangles' edges as `edgeCount` line indices (none on the desktop,
    // whose polygon mode draws the lines).
    GLuint edgeArray = 0;
    GLsizei edgeCount = 0;
};

// A point light as the lit program takes it.
struct LitLight {
    glm::vec3 position{0.0f};
    glm::vec3 color{1.0f};
    float power = 0.0f; // the program receives tuning::lightPowerScale times this
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    int unit = -1; // the texture unit of its shadow cube map; no shadow off the shadow units
};

// What every mesh of one pass shares.
struct LitView {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    bool normalMapping = true;
    bool shadowMapping = true;
};

// The lit program (Phong lighting from up to ten point lights, normal
// mapping, shadows from cube maps) and its depth pre-pass, with every uniform
// location found once, and which shadow cube map each light casts from.
// The meshes hand it what to draw; it alone binds its programs.
class LitPass {
public:
    static constexpr int maxLights = 10; // the program's light array
    static constexpr int maxShadowMaps = textureUnits::shadowMapCount;

    // `depthOnly` shares the lit program's vertex stage and writes no colour.
    LitPass(gl::Program lit, gl::Program depthOnly);

    // Where the lit program reads the mesh attributes ("position", "normal",
    // "uv", "tangent"); the shadow position is not its business.
    VertexLayout vertexLayout() const;

    // The depth pre-pass: the lit vertex stage with colour writes left to the
    // caller. Every pixel the lit pass then shades at GL_LEQUAL is shaded once.
    void beginDepth(const LitView& view);
    void drawDepth(const LitMesh& mesh) const;

    // The lit pass over `lights` (the first maxLights of them reach the
    // program). Each shadow sampler reads the cube map of the first light on
    // its unit that has one.
    void begin(const LitView& view, const std::vector<LitLight>& lights);
    void draw(const LitMesh& mesh) const;
    // Unbinds what the pass bound: program, vertex array, textures.
    void end();

    // The cube map the light at `index` of the lights casts its shadow from
    // (0: none yet).
    void setShadowMap(size_t index, GLuint cubeMap);
    // The cube maps of `other`, for a variant pass that draws the same frame.
    void useShadowMapsOf(const LitPass& other) { shadowMaps = other.shadowMaps; }

    GLuint litProgram() const { return lit; }

private:
    struct LightLocations {
        GLint position = -1;
        GLint color = -1;
        GLint power = -1;
        GLint nearFar = -1;
        GLint unit = -1;
    };
    struct ViewLocations {
        GLint model = -1;
        GLint view = -1;
        GLint projection = -1;
    };

    void uploadLights(const std::vector<LitLight>& lights);
    void bindShadowMaps(const std::vector<LitLight>& lights);

    gl::Program lit;
    gl::Program depthOnly;
    ViewLocations litAt;
    ViewLocations depthAt;
    GLint normalMappingLocation = -1;
    GLint shadowMappingLocation = -1;
    GLint lightCountLocation = -1;
    std::array<LightLocations, maxLights> lightAt;
    std::vector<GLuint> shadowMaps; // by light index
    std::array<bool, maxShadowMaps> boundShadowUnits{};
};
