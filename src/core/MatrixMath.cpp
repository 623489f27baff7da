#include "core/MatrixMath.h"

Decomposed decompose(const glm::mat4& matrix)
{
    Decomposed result;
    glm::mat3 rotation(matrix);
    for (int column = 0; column < 3; ++column) {
        const float length = glm::length(rotation[column]);
        result.scale[column] = length;
        // A collapsed axis has no direction to recover; leaving the zero column
        // in place keeps the quaternion finite instead of filling it with NaN.
        if (length > 0.0f)
            rotation[column] /= length;
    }
    result.translation = glm::vec3(matrix[3]);

    const glm::quat q = glm::quat_cast(rotation);
    const float qLength = glm::length(q);
    result.rotation = qLength > 0.0f ? q / qLength : glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    return result;
}
