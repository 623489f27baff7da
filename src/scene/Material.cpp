#include "scene/Material.h"

Material::Material(const glm::vec4& diffuse, const glm::vec4& ambient, const glm::vec4& specular,
                   const glm::vec4& emissive, float shininess, int32_t textureCount)
    : diffuse(diffuse), ambient(ambient), specular(specular), emissive(emissive), shininess(shininess),
      textureCount(textureCount)
{
    const MaterialBlock data = block();
    uniformBuffer = gl::uploadBuffer(GL_UNIFORM_BUFFER, &data, blockSize, GL_DYNAMIC_DRAW);
}

MaterialBlock Material::block() const
{
    MaterialBlock data{};
    data.diffuse = diffuse;
    data.ambient = ambient;
    data.specular = specular;
    data.emissive = emissive;
    data.shininess = shininess;
    data.textureCount = textureCount;
    data.padding[0] = 0.0f;
    data.padding[1] = 0.0f;
    return data;
}
