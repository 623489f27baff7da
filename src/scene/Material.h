#pragma once

#include "render/GlObjects.h"

#include <glm/glm.hpp>

#include <cstdint>

// The std140 image of the uniform block "Material" in Shader/PhongCombined:
// four vec4 colours, the shininess and the texture count, padded to 80 bytes.
struct MaterialBlock {
    glm::vec4 diffuse;
    glm::vec4 ambient;
    glm::vec4 specular;
    glm::vec4 emissive;
    float shininess;
    int32_t textureCount;
    float padding[2];
};
static_assert(sizeof(MaterialBlock) == 80, "MaterialBlock must match the std140 block");

// Per-mesh material with its own uniform buffer, filled once at creation.
class Material final {
public:
    static constexpr GLsizeiptr blockSize = sizeof(MaterialBlock);

    // Needs a current GL context: creates and fills the uniform buffer.
    Material(const glm::vec4& diffuse, const glm::vec4& ambient, const glm::vec4& specular, const glm::vec4& emissive,
             float shininess, int32_t textureCount);

    GLuint getUniformBuffer() const { return uniformBuffer; }

    MaterialBlock block() const;

    glm::vec4 diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    glm::vec4 ambient{0.2f, 0.2f, 0.2f, 1.0f};
    glm::vec4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
    int32_t textureCount = 0; // 0 none, 1 colour texture, 2 colour texture and normal map
    gl::Buffer uniformBuffer;
};
