// The renderer's batches, blending and matrices, checked without a window: Begin, Vertex
// and End keep their counts and decisions even when nothing can be drawn.
#include "PlatformFixtures.h"

#include "platform/Gfx.h"

namespace {

class GfxBatchTest : public CPlatformTest {
protected:
    CGfxOGL& gfx = CGfxOGL::Get();

    void DrawQuad() {
        gfx.Begin(GL_TRIANGLE_STRIP);
        gfx.Vertex(0.0f, 0.0f);
        gfx.Vertex(0.0f, 1.0f);
        gfx.Vertex(1.0f, 0.0f);
        gfx.Vertex(1.0f, 1.0f);
        gfx.End();
    }

    void WorldOf(float x, float y, float& outX, float& outY) const {
        TransformPoint(gfx.GetWorldMatrix(), x, y, outX, outY);
    }
};

TEST_F(GfxBatchTest, PrimitiveCountFollowsModeAndVertexCount) {
    struct Case {
        uint32_t mode;
        int vertices;
        int primitives;
    };
    // A drawing case before every empty one, so a stale count would show.
    const Case cases[] = {
        {GL_TRIANGLES, 6, 2}, {GL_TRIANGLES, 5, 1},       {GL_TRIANGLES, 2, 0},       {GL_TRIANGLE_STRIP, 4, 2},
        {GL_TRIANGLE_STRIP, 2, 0}, {GL_TRIANGLE_STRIP, 3, 1}, {GL_TRIANGLE_STRIP, 0, 0}, {0x0007, 7, 2},
    };
    for (const Case& c : cases) {
        gfx.Begin(c.mode);
        for (int i = 0; i < c.vertices; ++i) {
            gfx.Vertex(float(i), 0.0f);
        }
        gfx.End();
        EXPECT_EQ(gfx.GetLastPrimitiveCount(), c.primitives) << "mode " << c.mode << ", " << c.vertices << " vertices";
    }
}

TEST_F(GfxBatchTest, SurplusVerticesAndTexCoordsAreDropped) {
    gfx.Begin(GL_TRIANGLES);
    for (int i = 0; i <= CGfxOGL::kMaxVertices; ++i) {
        gfx.TexCoord(float(i), 0.0f);
        gfx.Vertex(float(i), float(i));
    }
    EXPECT_EQ(gfx.GetVertexCount(), 4096);
    const GfxVertex& last = gfx.GetVertices()[CGfxOGL::kMaxVertices - 1];
    EXPECT_EQ(last.x, 4095.0f);
    EXPECT_EQ(last.u, 4095.0f);
    gfx.End();
    EXPECT_EQ(gfx.GetLastPrimitiveCount(), 4096 / 3);
}

TEST_F(GfxBatchTest, TexCoordsAndVerticesAreCountedSeparately) {
    gfx.Begin(GL_TRIANGLES);
    gfx.TexCoord(0.1f, 0.2f);
    gfx.TexCoord(0.3f, 0.4f);
    gfx.Color(1.0f, 0.0f, 0.0f, 1.0f);
    gfx.Vertex(5.0f, 6.0f);
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    gfx.Vertex(7.0f, 8.0f);
    const GfxVertex* vertices = gfx.GetVertices();
    EXPECT_EQ(gfx.GetVertexCount(), 2);
    EXPECT_FLOAT_EQ(vertices[0].u, 0.1f);
    EXPECT_FLOAT_EQ(vertices[1].u, 0.3f);
    EXPECT_FLOAT_EQ(vertices[1].v, 0.4f);
    EXPECT_EQ(vertices[0].x, 5.0f);
    EXPECT_EQ(vertices[1].y, 8.0f);
    EXPECT_EQ(vertices[0].z, 0.0f);
    // Each vertex keeps the colour current when it was given.
    EXPECT_EQ(vertices[0].color, 0xFFFF0000u);
    EXPECT_EQ(vertices[1].color, 0xFFFFFFFFu);
}

TEST_F(GfxBatchTest, BlendingFollowsColourAndBlendFlag) {
    struct Case {
        float r, g, b, a;
        bool blendEnabled;
        bool blended;
    };
    const Case cases[] = {
        {1.0f, 1.0f, 1.0f, 1.0f, false, false},  // opaque white, GL_BLEND off: a plain copy
        {1.0f, 1.0f, 1.0f, 1.0f, true, true},
        {1.0f, 1.0f, 1.0f, 0.5f, false, true},   // translucent blends without GL_BLEND
        {1.0f, 0.0f, 0.0f, 1.0f, false, true},   // tinted blends without GL_BLEND
        {0.5f, 0.5f, 0.5f, 0.5f, true, true},
    };
    for (const Case& c : cases) {
        gfx.Color(c.r, c.g, c.b, c.a);
        if (c.blendEnabled) {
            gfx.Enable(GL_BLEND);
        } else {
            gfx.Disable(GL_BLEND);
        }
        DrawQuad();
        EXPECT_EQ(gfx.GetLastBlended(), c.blended)
            << "colour " << c.r << "," << c.g << "," << c.b << "," << c.a << " blend " << c.blendEnabled;
    }
}

TEST_F(GfxBatchTest, BlendFuncSendsOnlyChangedFactors) {
    gfx.ResetRenderStates();
    EXPECT_EQ(gfx.GetSourceFactor(), EBlendFactor::None);
    const int before = gfx.GetFactorSendCount();

    gfx.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(gfx.GetFactorSendCount(), before + 2);
    EXPECT_EQ(gfx.GetSourceFactor(), EBlendFactor::SrcAlpha);
    EXPECT_EQ(gfx.GetDestinationFactor(), EBlendFactor::InvSrcAlpha);

    gfx.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(gfx.GetFactorSendCount(), before + 2);

    gfx.BlendFunc(GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(gfx.GetFactorSendCount(), before + 3);
    EXPECT_EQ(gfx.GetDestinationFactor(), EBlendFactor::One);

    // Unknown factors (GL_ZERO, GL_SRC_COLOR) become ONE: only the source changes.
    gfx.BlendFunc(GL_ZERO, 0x0300);
    EXPECT_EQ(gfx.GetFactorSendCount(), before + 4);
    EXPECT_EQ(gfx.GetSourceFactor(), EBlendFactor::One);
    EXPECT_EQ(gfx.GetDestinationFactor(), EBlendFactor::One);

    // A reset forgets the cache, so the same factors are sent again.
    gfx.ResetRenderStates();
    gfx.BlendFunc(GL_ONE, GL_ONE);
    EXPECT_EQ(gfx.GetFactorSendCount(), before + 6);
}

TEST_F(GfxBatchTest, RotateTurnsThePictureInItsPlaneOnly) {
    struct Case {
        float x, y, z;
        float expectX, expectY;   // where (10, 0) lands after rotate 90 and translate (100, 50)
    };
    const Case cases[] = {
        {0.0f, 0.0f, 1.0f, 100.0f, 60.0f},   // screen plane
        {1.0f, 0.0f, 1.0f, 100.0f, 60.0f},   // z wins over x
        {0.0f, 0.0f, 0.0f, 100.0f, 60.0f},   // no axis: the former quarter turn stays
        {1.0f, 0.0f, 0.0f, 100.0f, 60.0f},   // x or y alone is no turn in the picture
        {0.0f, 1.0f, 0.0f, 100.0f, 60.0f},
        {0.0f, 0.0f, -1.0f, 100.0f, 60.0f},
    };
    for (const Case& c : cases) {
        gfx.LoadIdentity();
        gfx.Rotate(90.0f, c.x, c.y, c.z);
        gfx.Translate(100.0f, 50.0f, 0.0f);
        DrawQuad();
        float x = 0.0f, y = 0.0f;
        WorldOf(10.0f, 0.0f, x, y);
        EXPECT_NEAR(x, c.expectX, 1e-4f) << "axis " << c.x << "," << c.y << "," << c.z;
        EXPECT_NEAR(y, c.expectY, 1e-4f) << "axis " << c.x << "," << c.y << "," << c.z;
    }
}

TEST_F(GfxBatchTest, RotateWithoutAxisKeepsTheFormerRotation) {
    gfx.LoadIdentity();
    gfx.Rotate(90.0f, 0.0f, 0.0f, 1.0f);
    gfx.LoadIdentity();
    gfx.Rotate(45.0f, 0.0f, 0.0f, 0.000001f);   // below the threshold: no axis
    DrawQuad();
    float x = 0.0f, y = 0.0f;
    WorldOf(10.0f, 0.0f, x, y);
    EXPECT_NEAR(x, 0.0f, 1e-4f);
    EXPECT_NEAR(y, 10.0f, 1e-4f);
}

TEST_F(GfxBatchTest, PendingTransformsApplyAgainUntilLoadIdentity) {
    gfx.LoadIdentity();
    gfx.Translate(10.0f, 3.0f, 0.0f);
    DrawQuad();
    EXPECT_FLOAT_EQ(gfx.GetWorldMatrix().m[3][0], 10.0f);
    gfx.End();   // the same batch again: the translation is applied a second time
    EXPECT_FLOAT_EQ(gfx.GetWorldMatrix().m[3][0], 20.0f);
    EXPECT_FLOAT_EQ(gfx.GetWorldMatrix().m[3][1], 6.0f);
    gfx.LoadIdentity();
    DrawQuad();
    EXPECT_FLOAT_EQ(gfx.GetWorldMatrix().m[3][0], 0.0f);

    // A batch that draws nothing leaves the world matrix alone.
    gfx.Translate(5.0f, 0.0f, 0.0f);
    gfx.Begin(GL_TRIANGLE_STRIP);
    gfx.Vertex(0.0f, 0.0f);
    gfx.End();
    EXPECT_FLOAT_EQ(gfx.GetWorldMatrix().m[3][0], 0.0f);
}

TEST_F(GfxBatchTest, ColoursPackAsArgbWithLowBytesKept) {
    struct Case {
        float r, g, b, a;
        uint32_t color;
        uint32_t clearColor;   // alpha is always 255 there
    };
    const Case cases[] = {
        {1.0f, 0.5f, 0.25f, 0.5f, 0x7FFF7F3Fu, 0xFFFF7F3Fu},
        {0.0f, 0.0f, 0.0f, 0.0f, 0x00000000u, 0xFF000000u},
        {1.5f, 0.0f, 0.0f, 1.0f, 0xFF7E0000u, 0xFF7E0000u},   // 382 keeps its low byte 0x7E
        {0.0f, 0.0f, 1.0f, 0.999f, 0xFE0000FFu, 0xFF0000FFu},  // truncated, not rounded
    };
    for (const Case& c : cases) {
        gfx.Color(c.r, c.g, c.b, c.a);
        gfx.ClearColor(c.r, c.g, c.b, c.a);
        EXPECT_EQ(gfx.GetCurrentColor(), c.color);
        EXPECT_EQ(gfx.GetClearColor(), c.clearColor);
    }
}

}  // namespace
