// Row-vector 4x4 matrices for the renderer's world transform: a point p becomes p * m.
#include "platform/Gfx.h"

#include <cmath>

GfxMatrix GfxMatrix::Identity() {
    GfxMatrix result{};
    for (int i = 0; i < 4; ++i) {
        result.m[i][i] = 1.0f;
    }
    return result;
}

GfxMatrix GfxMatrix::Translation(float x, float y, float z) {
    GfxMatrix result = Identity();
    result.m[3][0] = x;
    result.m[3][1] = y;
    result.m[3][2] = z;
    return result;
}

GfxMatrix GfxMatrix::RotationZ(float radians) {
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    GfxMatrix result = Identity();
    result.m[0][0] = c;
    result.m[0][1] = s;
    result.m[1][0] = -s;
    result.m[1][1] = c;
    return result;
}

GfxMatrix GfxMatrix::operator*(const GfxMatrix& other) const {
    GfxMatrix result{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += m[row][k] * other.m[k][column];
            }
            result.m[row][column] = sum;
        }
    }
    return result;
}
