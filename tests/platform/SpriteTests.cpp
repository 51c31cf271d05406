// Sprite geometry: frame grids, regions, centring, rotation, parents, blending, and what
// a Draw hands to the renderer (checked without a window).
#include "PlatformFixtures.h"

#include "platform/Gfx.h"
#include "platform/Sprite.h"

namespace {

class SpriteTest : public CPlatformTest {
protected:
    void SetUp() override {
        CPlatformTest::SetUp();
        WriteFile("sheet.tga", MakeSolidTga(256, 64, 3, Rgba{10, 20, 30, 255}));
    }

    // Corner n of the last drawn strip, through the world matrix and the renderer's
    // half-pixel convention (the sprite's -0.5 and the renderer's +0.5 cancel).
    void DrawnCorner(int n, float& x, float& y) const {
        const CGfxOGL& gfx = CGfxOGL::Get();
        const GfxVertex& vertex = gfx.GetVertices()[n];
        TransformPoint(gfx.GetLastDrawWorld(), vertex.x, vertex.y, x, y);
        x += 0.5f;
        y += 0.5f;
    }
};

TEST_F(SpriteTest, FrameSizeCutsThePictureIntoAGrid) {
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("sheet"));
    EXPECT_EQ(sprite.GetWidth(), 256.0f);
    sprite.SetFrameSize(64.0f, 64.0f);
    ASSERT_NE(sprite.GetInfo(), nullptr);
    EXPECT_EQ(sprite.GetInfo()->columns, 4);
    EXPECT_EQ(sprite.GetInfo()->rows, 1);
    EXPECT_FLOAT_EQ(sprite.GetInfo()->frameU, 0.25f);
    EXPECT_EQ(sprite.FrameCount(), 4);
    EXPECT_EQ(sprite.GetWidth(), 64.0f);
    EXPECT_EQ(sprite.GetHeight(), 64.0f);
    EXPECT_EQ(sprite.GetInfo()->halfWidth, 32.0f);
    EXPECT_EQ(sprite.GetFrame(), 0);
    sprite.SetFrame(2);
    EXPECT_FLOAT_EQ(sprite.GetULeft(), 0.5f);
    EXPECT_FLOAT_EQ(sprite.GetURight(), 0.75f);
    EXPECT_FLOAT_EQ(sprite.GetVTop(), 0.0f);
    EXPECT_FLOAT_EQ(sprite.GetVBottom(), 1.0f);
}

TEST_F(SpriteTest, FrameGridRoundsHalfAwayFromZeroAndWalksRows) {
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("sheet"));
    sprite.SetFrameSize(102.4f, 25.6f);   // 2.5 columns and 2.5 rows round up to 3 x 3
    EXPECT_EQ(sprite.GetInfo()->columns, 3);
    EXPECT_EQ(sprite.GetInfo()->rows, 3);
    sprite.SetFrame(5);   // row 1, column 2
    EXPECT_FLOAT_EQ(sprite.GetULeft(), 2.0f / 3.0f);
    EXPECT_FLOAT_EQ(sprite.GetVTop(), 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(sprite.GetVBottom(), 2.0f / 3.0f);
}

TEST_F(SpriteTest, SetFrameIgnoresTheCurrentAndOutOfRangeFrames) {
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("sheet"));
    sprite.SetFrameSize(64.0f, 64.0f);
    sprite.SetFrame(2);
    for (const int32_t frame : {2, 4, 9, -1}) {
        sprite.SetTexCoords(0.9f, 0.9f, 0.9f, 0.9f);   // a recomputation would overwrite these
        sprite.SetFrame(frame);
        EXPECT_EQ(sprite.GetFrame(), 2) << frame;
        EXPECT_FLOAT_EQ(sprite.GetULeft(), 0.9f) << frame;
    }
    sprite.SetFrame(3);
    EXPECT_FLOAT_EQ(sprite.GetULeft(), 0.75f);
    EXPECT_FLOAT_EQ(sprite.GetVTop(), 0.0f);

    CSprite empty;   // never loaded: one frame, nothing to choose
    EXPECT_EQ(empty.FrameCount(), 1);
    empty.SetFrame(0);
    EXPECT_EQ(empty.GetFrame(), -1);
}

TEST_F(SpriteTest, RegionShowsItsPartOfASharedTexture) {
    const TextureHandle shared = CTextures::Get().Load("sheet");
    {
        CSprite region;
        ASSERT_TRUE(region.LoadRegion(shared, 32.0f, 16.0f, 0.125f, 0.25f, 0.25f, 0.5f));
        EXPECT_EQ(region.GetWidth(), 32.0f);
        EXPECT_FLOAT_EQ(region.GetULeft(), 0.125f);
        EXPECT_FLOAT_EQ(region.GetURight(), 0.25f);
        EXPECT_FLOAT_EQ(region.GetVTop(), 0.25f);
        EXPECT_FLOAT_EQ(region.GetVBottom(), 0.5f);
        CSprite none;
        EXPECT_FALSE(none.LoadRegion(TextureHandle{}, 8.0f, 8.0f, 0.0f, 0.0f, 1.0f, 1.0f));
    }
    // A region sprite does not own the texture: the record outlives it.
    EXPECT_STREQ(CTextures::Get().Find(shared).name, "sheet");
    {
        CSprite owner;
        ASSERT_TRUE(owner.Load("sheet"));
    }
    EXPECT_EQ(CTextures::Get().Find(shared).id, 0u);
}

TEST_F(SpriteTest, CentredSpriteCoversItsBoxAroundThePosition) {
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("sheet"));
    sprite.SetSize(20, 10);
    sprite.SetCentered();
    sprite.SetPos(100.0f, 100.0f);
    sprite.Draw();
    float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
    DrawnCorner(0, left, top);
    DrawnCorner(3, right, bottom);
    EXPECT_FLOAT_EQ(left, 90.0f);
    EXPECT_FLOAT_EQ(top, 95.0f);
    EXPECT_FLOAT_EQ(right, 110.0f);
    EXPECT_FLOAT_EQ(bottom, 105.0f);
    const GfxVertex* v = CGfxOGL::Get().GetVertices();
    ASSERT_EQ(CGfxOGL::Get().GetVertexCount(), 4);
    EXPECT_EQ(CGfxOGL::Get().GetLastPrimitiveCount(), 2);
    const float expected[4][2] = {{-10.0f, -5.0f}, {-10.0f, 5.0f}, {10.0f, -5.0f}, {10.0f, 5.0f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, expected[i][0]) << i;
        EXPECT_EQ(v[i].y, expected[i][1]) << i;
    }
    EXPECT_EQ(v[0].u, sprite.GetULeft());
    EXPECT_EQ(v[3].v, sprite.GetVBottom());
}

TEST_F(SpriteTest, DrawTranslatesByPositionPlusParentMinusHalfAPixel) {
    CSprite grandparent, parent, child;
    ASSERT_TRUE(child.Load("sheet"));
    grandparent.SetPos(1000.0f, 1000.0f);
    parent.SetPos(10.0f, 20.0f);
    parent.SetParent(&grandparent);   // not followed beyond one level
    child.SetPos(5.0f, 5.0f);
    child.SetParent(&parent);
    CGfxOGL& gfx = CGfxOGL::Get();
    child.Draw();
    EXPECT_FLOAT_EQ(gfx.GetLastDrawWorld().m[3][0], 14.5f);
    EXPECT_FLOAT_EQ(gfx.GetLastDrawWorld().m[3][1], 24.5f);
    // Draw leaves the world matrix clean for the next caller.
    EXPECT_FLOAT_EQ(gfx.GetWorldMatrix().m[3][0], 0.0f);
}

TEST_F(SpriteTest, RotationFlagNeedsAnAngleAtTheThreshold) {
    struct Case {
        float angle;
        bool rotated;
    };
    const Case cases[] = {{0.0f, false}, {0.000001f, false}, {-0.000005f, false},
                          {0.00001f, true}, {-0.00001f, true}, {45.0f, true}};
    CSprite sprite;
    for (const Case& c : cases) {
        sprite.SetRotation(c.angle);
        EXPECT_EQ(sprite.IsRotated(), c.rotated) << c.angle;
        EXPECT_EQ(sprite.GetAngle(), c.angle);
    }
}

TEST_F(SpriteTest, RotatedSpriteTurnsAboutItsOrigin) {
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("sheet"));
    sprite.SetSize(10, 10);
    sprite.SetPos(50.0f, 50.0f);
    sprite.SetRotation(90.0f);
    sprite.Draw();
    float x = 0.0f, y = 0.0f;
    DrawnCorner(2, x, y);   // (10, 0) turns to (0, 10)
    EXPECT_NEAR(x, 50.0f, 1e-4f);
    EXPECT_NEAR(y, 60.0f, 1e-4f);
    DrawnCorner(0, x, y);   // the origin stays
    EXPECT_NEAR(x, 50.0f, 1e-4f);
    EXPECT_NEAR(y, 50.0f, 1e-4f);
}

TEST_F(SpriteTest, BlendSettingsReachTheRenderer) {
    CSprite sprite;
    ASSERT_TRUE(sprite.Load("sheet"));
    CGfxOGL& gfx = CGfxOGL::Get();
    sprite.SetBlend(true);
    sprite.SetBlendFunc(GL_SRC_ALPHA, GL_ONE);
    sprite.Draw();
    EXPECT_TRUE(gfx.IsBlendEnabled());
    EXPECT_TRUE(gfx.GetLastBlended());
    EXPECT_EQ(gfx.GetSourceFactor(), EBlendFactor::SrcAlpha);
    EXPECT_EQ(gfx.GetDestinationFactor(), EBlendFactor::One);
    EXPECT_EQ(CTextures::Get().GetBound(), sprite.GetTexture());

    sprite.SetBlend(false);
    sprite.Draw();
    EXPECT_FALSE(gfx.IsBlendEnabled());
    EXPECT_FALSE(gfx.GetLastBlended());
    gfx.Color(1.0f, 1.0f, 1.0f, 0.5f);   // a faded sprite blends all the same
    sprite.Draw();
    EXPECT_TRUE(gfx.GetLastBlended());
}

TEST_F(SpriteTest, SpriteListCutsRegionsAndFallsBackToTheFirst) {
    const TextureHandle shared = CTextures::Get().Load("sheet");
    CSpriteList list;
    EXPECT_EQ(list.Get(0).GetInfo(), nullptr);   // empty: an empty sprite, not a crash
    for (int i = 0; i < 3; ++i) {
        list.AddRegion(shared, 256.0f, 64.0f, 32.0f, 32.0f, 0.125f * float(i), 0.0f, 0.125f * float(i + 1), 0.5f);
    }
    EXPECT_EQ(list.Count(), 3);
    EXPECT_FLOAT_EQ(list.Get(1).GetULeft(), 0.125f);
    EXPECT_FLOAT_EQ(list.Get(2).GetURight(), 0.375f);
    EXPECT_EQ(&list.Get(3), &list.Get(0));
    EXPECT_EQ(&list.Get(-1), &list.Get(0));
    list.SetSize(16.0f, 8.0f);
    EXPECT_EQ(list.Get(2).GetWidth(), 16.0f);
    EXPECT_EQ(list.Get(0).GetHeight(), 8.0f);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_STREQ(CTextures::Get().Find(shared).name, "sheet");
}

}  // namespace
