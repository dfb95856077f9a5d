#include "font_fixture.h"

#include "win/colour.h"
#include "win/palette.h"

#include <string>

namespace {

// A renderer that records what it is asked, on plain heap memory.
struct Recorder {
    int creates = 0, uploads = 0, selects = 0, draws = 0, releases = 0;
    int32_t lastquads = -1;
    uint32_t ramp[16] = {};
    std::vector<FontVertex> vertices;
    bool nomemory = false;
};
Recorder g_rec;
int g_texture;

const FontRenderer recorder = {
    [](int32_t, int32_t) -> void* {
        ++g_rec.creates;
        return &g_texture;
    },
    [](void*, const uint8_t*, const uint32_t* ramp) {
        ++g_rec.uploads;
        std::copy(ramp, ramp + 16, g_rec.ramp);
        return 1;
    },
    [](void*) { ++g_rec.releases; },
    [](void*) {
        ++g_rec.selects;
        return 1;
    },
    [](int32_t quads, const FontVertex* v, const uint32_t* indices) {
        ++g_rec.draws;
        g_rec.lastquads = quads;
        g_rec.vertices.assign(v, v + 4 * quads);
        return indices && indices[3] == 3 ? 1 : 0;
    },
    [](uint32_t bytes) -> void* { return g_rec.nomemory ? nullptr : ::operator new(bytes); },
    [](void* p) { ::operator delete(p); },
};

class FontObjects : public FontTest {
protected:
    void SetUp() override
    {
        FontTest::SetUp();
        g_rec = Recorder{};
        setfontrenderer(&recorder);
    }
    void TearDown() override
    {
        for (FontObject* f : fonts) FONT_free(f);
        FONT_cachefree();
        FontTest::TearDown();
    }
    // The object reads its file for as long as it lives.
    FontObject* make(std::vector<uint8_t> file)
    {
        files.push_back(std::move(file));
        FontObject* f = setfont(files.back().data());
        if (f) fonts.push_back(f);
        return f;
    }
    std::vector<FontObject*> fonts;
    std::vector<std::vector<uint8_t>> files;
};

// 'A' 10 rows at y offset 2; '!' and 'B' too; image 4-bit 32 x 12.
std::vector<uint8_t> mesh_font(int8_t ascent = 12, uint32_t flags = 0)
{
    return test_font({{'!', 4, 10, 0, 5, 0, 2}, {'A', 6, 10, 8, 7, 1, 2}, {'B', 5, 8, 16, 6, 0, 0}}, 4, 32, 12, {},
                     ascent, 3, 0, 0, flags);
}

TEST_F(FontObjects, BaselineComesFromTheFirstOfAToE)
{
    FontObject* f = make(mesh_font());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->baseline, 12);
    EXPECT_EQ(f->rest, 0);
    EXPECT_EQ(f->spacing, 15);
    EXPECT_EQ(f->bpp, 4);
    EXPECT_EQ(f->imagerowbytes, 16);
    EXPECT_EQ(g_rec.creates, 1);
    EXPECT_EQ(g_rec.uploads, 1);
    FontObject* plain = make(test_font({{'!', 4, 10, 0, 5, 0, 2}}, 1, 8, 10, {}, 9, 4));
    EXPECT_EQ(plain->baseline, 9);
    EXPECT_EQ(plain->rest, 4);
    EXPECT_EQ(plain->bpp, 1);

    EXPECT_EQ(setfont("NOPE"), nullptr);
    EXPECT_TRUE(aborts.saw("setfont - UNRECOGNIZED FONT SIGNATURE.\nFOUND NOPE. SIGNATURE SHOULD BE FNTx\n"));
    g_rec.nomemory = true;
    EXPECT_EQ(setfont(mesh_font().data()), nullptr);
}

TEST_F(FontObjects, AttributesSetAndReadBackInSixteenSixteen)
{
    FontObject* f = make(mesh_font());
    const struct {
        int32_t index, value, got;
    } cases[] = {
        {1, 0x8000, 0x8000},  {2, 0x20000, 0x20000}, {3, 0x18000, 0x18000}, {4, 0x1E0000, 0x1E0000},
        {5, 1, 1},            {5, 2, 0},             {6, 1, 1},             {7, 1, 1},
        {8, 0x7F102030, 0x7F102030},                 {12, 0x11223344, 0x11223344},
        {15, 0x55667788, 0x55667788},                {13, 0x11223344, 0x11223344},
        {17, 5, 0},
    };
    for (const auto& c : cases) {
        FONT_setattr(f, c.index, c.value);
        EXPECT_EQ(FONT_getattr(f, c.index), c.got) << c.index;
    }
    EXPECT_EQ(f->spacing, 20); // 30 / 1.5
    EXPECT_EQ(f->vertexcolours[1], 0x11223344u);
    FONT_setattr(f, 0, 0);
    EXPECT_EQ(FONT_getattr(f, 2), 0x10000);
    EXPECT_EQ(FONT_getattr(f, 1), 0);

    f->dirty = 0;
    FONT_setattr(f, 8, 0x7F102030); // unchanged
    EXPECT_EQ(f->dirty, 0);
    FONT_setattr(f, 9, 0x01020304);
    EXPECT_EQ(f->dirty, 1);
}

TEST_F(FontObjects, RampsFollowTheFileFlags)
{
    FontObject* f = make(mesh_font());
    // Plain: foreground white over the foreground with alpha 0.
    EXPECT_EQ(f->ramp[0], 0x00FFFFFFu);
    EXPECT_EQ(f->ramp[15], 0xFFFFFFFFu);
    EXPECT_EQ(f->ramp[5], 0x55FFFFFFu);
    FONT_setattr(f, 9, static_cast<int32_t>(0xFF000000));
    FONT_buildramp(f);
    EXPECT_EQ(f->ramp[5], 0xFF555555u);

    FontObject* o = make(mesh_font(12, 2)); // outlined
    FONT_setattr(o, 10, static_cast<int32_t>(0xFF0000FF));
    FONT_buildramp(o);
    EXPECT_EQ(o->ramp[0], 0u);            // no background: 0
    EXPECT_EQ(o->ramp[1], 0xFF0000FFu);   // the outline
    EXPECT_EQ(o->ramp[2], 0xBF0000BFu);   // 3 outline to 1 nothing
    EXPECT_EQ(o->ramp[9], 0xFFFFFFFFu);   // the foreground
    EXPECT_EQ(o->ramp[11], 0xFF9999FFu);  // 3 foreground to 2 outline
    EXPECT_EQ(o->ramp[14] | o->ramp[15], 0u);

    FontObject* t = make(mesh_font(12, 4)); // two-tone
    FONT_setattr(t, 11, static_cast<int32_t>(0xFF00FF00));
    FONT_buildramp(t);
    EXPECT_EQ(t->ramp[0], 0x0000FF00u);  // the second colour, transparent
    EXPECT_EQ(t->ramp[4], 0x7F00FF00u);
    EXPECT_EQ(t->ramp[8], 0xFF00FF00u);
    EXPECT_EQ(t->ramp[15], 0xFFFFFFFFu); // mix(second, 0, fg, 7)
}

TEST_F(FontObjects, LayoutMakesOneQuadAGlyphWithSlantScaleTabsAndKerning)
{
    FontObject* f = make(mesh_font(10));
    EXPECT_EQ(f->baseline, 12); // 'A': 10 rows at y offset 2
    f->baseline = 10;
    f->rest = 3;
    std::vector<FontVertex> v(4 * 8);
    float endx = 0;
    int32_t n = FONT_layout(f, 2.4f, 5, 0.5f, "!AB", v.data(), &endx);
    ASSERT_EQ(n, 12);
    EXPECT_FLOAT_EQ(endx, 2.4f + 5 + 7 + 6);
    // 'A': x offset 1, 6 x 10, texels from (8, 0).
    EXPECT_FLOAT_EQ(v[4].x, 2.4f + 5 + 1);
    EXPECT_FLOAT_EQ(v[4].y, 7);
    EXPECT_FLOAT_EQ(v[5].x, 2.4f + 5 + 1 + 6);
    EXPECT_FLOAT_EQ(v[6].y, 17);
    EXPECT_FLOAT_EQ(v[4].u, 8);
    EXPECT_FLOAT_EQ(v[6].u, 14);
    EXPECT_FLOAT_EQ(v[6].v, 10);
    EXPECT_FLOAT_EQ(v[4].z, 0.5f);
    EXPECT_FLOAT_EQ(v[4].rhw, 0.99999f);
    EXPECT_EQ(v[4].colour, 0xFFFFFFFFu);

    // Slant 0.5: a glyph with its top at the pen moves its top-left right by
    // 0.5 x baseline and its bottom-left left by 0.5 x (height - baseline).
    FONT_setattr(f, 1, 0x8000);
    n = FONT_layout(f, 0, 0, 0, "B", v.data(), nullptr);
    ASSERT_EQ(n, 4);
    EXPECT_FLOAT_EQ(v[0].x, 5);
    EXPECT_FLOAT_EQ(v[3].x, -0.5f * (8 - 10));
    EXPECT_FLOAT_EQ(v[1].x, 10);
    FONT_setattr(f, 1, 0);

    // Scale doubles sizes and advances; a newline goes down (baseline + rest) x y scale.
    FONT_setattr(f, 2, 0x20000);
    FONT_setattr(f, 3, 0x20000);
    n = FONT_layout(f, 3, 0, 0, "B\nB", v.data(), &endx);
    ASSERT_EQ(n, 8);
    EXPECT_FLOAT_EQ(v[1].x - v[0].x, 10);
    EXPECT_FLOAT_EQ(v[4].x, 3);
    EXPECT_FLOAT_EQ(v[4].y, 2 * (10 + 3));
    EXPECT_FLOAT_EQ(endx, 3 + 12);
    FONT_setattr(f, 0, 0);

    const float stops[] = {10, 20};
    FONT_settabs(f, 2, stops);
    float back[3] = {};
    EXPECT_EQ(FONT_gettabs(f, 3, back), 2);
    EXPECT_FLOAT_EQ(back[1], 20);
    n = FONT_layout(f, 10, 0, 0, "\tB", v.data(), nullptr);
    EXPECT_FLOAT_EQ(v[0].x, 20);

    const KernPair pairs[] = {{'A', 'B', -3, {}}, {'!', 'A', 2, {}}, {'B', '!', 1, {}}};
    FONT_setkerning(f, pairs, 3);
    KernPair sorted[3];
    EXPECT_EQ(FONT_getkerning(f, sorted, 3), 3);
    EXPECT_EQ(sorted[0].code, '!');
    EXPECT_EQ(sorted[2].code, 'B');
    EXPECT_EQ(FONT_getattr(f, 7), 1);
    n = FONT_layout(f, 0, 0, 0, "!AB", v.data(), nullptr);
    EXPECT_FLOAT_EQ(v[4].x, 5 + 2 + 1);
    EXPECT_FLOAT_EQ(v[8].x, 5 + 2 + 7 - 3);
}

TEST_F(FontObjects, MissingGlyphBoxesAndClippingCutQuadsAndTexels)
{
    FontObject* f = make(mesh_font());
    std::vector<FontVertex> v(16);
    EXPECT_EQ(FONT_layout(f, 0, 0, 0, "#", v.data(), nullptr), 0);
    FONT_setattr(f, 5, 1);
    float endx;
    ASSERT_EQ(FONT_layout(f, 0, 0, 0, "#", v.data(), &endx), 4);
    EXPECT_FLOAT_EQ(v[1].x, 3); // spacing 15: (15 / 2) / 2
    EXPECT_FLOAT_EQ(v[2].y, 7);
    EXPECT_FLOAT_EQ(v[2].u, 31);
    EXPECT_FLOAT_EQ(v[2].v, 11);
    EXPECT_FLOAT_EQ(endx, 3);

    FONT_setattr(f, 6, 1);
    f->clipleft = 2, f->clipright = 100, f->cliptop = 4, f->clipbottom = 100;
    ASSERT_EQ(FONT_layout(f, 0, 0, 0, "!", v.data(), nullptr), 4);
    // '!' spans x 0..4, y 2..12, texels u 0..4, v 0..10: cut 2 on the left, 2 at the top.
    EXPECT_FLOAT_EQ(v[0].x, 2);
    EXPECT_FLOAT_EQ(v[0].u, 2);
    EXPECT_FLOAT_EQ(v[3].x, 2);
    EXPECT_FLOAT_EQ(v[0].y, 4);
    EXPECT_FLOAT_EQ(v[0].v, 2);
    EXPECT_FLOAT_EQ(v[2].u, 4);
    f->clipleft = 50;
    EXPECT_EQ(FONT_layout(f, 0, 0, 0, "!", v.data(), nullptr), 0);
}

TEST_F(FontObjects, MeshesMoveDrawAndBoundTheirText)
{
    FontObject* f = make(mesh_font());
    FontMesh* m = FONTallocmesh(f, 1, 2, 3, "!AB");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->count, 12);
    const float x0 = m->vertices[7].x;
    FONT_movemesh(m, 2, 2, 3);
    EXPECT_FLOAT_EQ(m->vertices[7].x, x0 + 1);
    EXPECT_FLOAT_EQ(m->x, 2);
    EXPECT_EQ(FONT_drawmesh(m), 1);
    EXPECT_EQ(g_rec.lastquads, 3);
    EXPECT_FLOAT_EQ(g_rec.vertices[7].x, x0 + 1);
    FONT_freemesh(m);

    float x, y, w, h;
    FONTtextbounds(f, "!A", &x, &y, &w, &h);
    EXPECT_FLOAT_EQ(x, 0);
    EXPECT_FLOAT_EQ(y, 0);
    EXPECT_FLOAT_EQ(w, 12); // the pen's end beats the last quad's edge (5 + 1 + 6)
    EXPECT_FLOAT_EQ(h, 12);
    FONTtextbounds(f, "", &x, &y, &w, &h);
    EXPECT_FLOAT_EQ(w + h + x + y, 0);

    FONT_movemesh(nullptr, 0, 0, 0);
    FONT_drawmesh(nullptr);
    FONT_freemesh(nullptr);
    EXPECT_EQ(FONTallocmesh(f, 0, 0, 0, nullptr), nullptr);
    for (const char* text : {"FONT_movemesh - NULL mesh\n", "FONT_drawmesh - NULL mesh\n",
                             "FONT_freemesh - NULL mesh\n", "FONTallocmesh - NULL string\n"})
        EXPECT_TRUE(aborts.saw(text)) << text;
}

TEST_F(FontObjects, TheIndexTableGrowsAndBlocksSkipRepeatedSelects)
{
    FontObject* f = make(mesh_font());
    FONT_cacheinit(0);
    EXPECT_EQ(FONT_cachesize(), 400);
    FONT_cacheinit(50); // one exists already
    EXPECT_EQ(FONT_cachesize(), 400);
    EXPECT_EQ(FONTdrawtext(f, 0, 0, 0, std::string(120, '!').c_str()), 1);
    EXPECT_EQ(FONT_cachesize(), 800);
    EXPECT_EQ(FONT_cachetable()[799], 799u);
    EXPECT_EQ(g_rec.lastquads, 120);
    EXPECT_EQ(FONTdrawtext(f, 0, 0, 0, std::string(250, '!').c_str()), 1);
    EXPECT_EQ(FONT_cachesize(), 1600);

    g_rec.selects = 0;
    FONTdrawtext(f, 0, 0, 0, "!");
    FONTdrawtext(f, 0, 0, 0, "!");
    EXPECT_EQ(g_rec.selects, 2);
    FONT_beginblock();
    FONTdrawtext(f, 0, 0, 0, "!");
    FONTdrawtext(f, 0, 0, 0, "!");
    EXPECT_EQ(g_rec.selects, 3);
    FONT_beginblock();
    FONT_endblock();
    FONT_endblock();
    EXPECT_TRUE(aborts.saw("FONT_beginblock: Already in a block\n"));
    EXPECT_TRUE(aborts.saw("FONT_endblock: No block was begun\n"));

    // A changed colour uploads the texture again before the next draw.
    const int uploads = g_rec.uploads;
    FONT_setattr(f, 8, 0x12345678);
    FONTdrawtext(f, 0, 0, 0, "!");
    EXPECT_EQ(g_rec.uploads, uploads + 1);
    EXPECT_EQ(f->dirty, 0);

    EXPECT_EQ(FONT_drawtextf(f, 0, 0, 0, "%s", std::string(511, '!').c_str()), 1);
    EXPECT_EQ(FONT_drawtextf(f, 0, 0, 0, "%s", std::string(512, '!').c_str()), 0);
    EXPECT_TRUE(aborts.saw("FONT_drawtextf - string too long, max 511 characters\n"));
    FONTdrawtext(f, 0, 0, 0, nullptr);
    EXPECT_TRUE(aborts.saw("FONTdrawtext - NULL string\n"));
}

// The library's own renderer draws 4-bit levels into the current window.
class DefaultRenderer : public FontTest {};

TEST_F(DefaultRenderer, DrawsLevelsIntoTheWindowAndNeedsAnEightBitUpload)
{
    // One glyph 5 wide (an odd texture width keeps its last texel), levels 0, 15, 15, 8, 15.
    std::vector<uint8_t> levels = {0, 15, 15, 8, 15};
    std::vector<uint8_t> file = test_font({{'!', 5, 1, 0, 6, 0, 0}}, 4, 5, 1, levels);
    for (int bpp : {16, 15, 32}) {
        open(bpp, 12, 2, 0);
        FontObject* f = setfont(file.data());
        ASSERT_NE(f, nullptr);
        FONT_setattr(f, 8, static_cast<int32_t>(0xFFFF0000)); // red over transparent
        EXPECT_EQ(FONTdrawtext(f, 2, 0, 0, "!"), 1);
        EXPECT_EQ(FONTdrawtext(f, -1, 1, 0, "!"), 1); // clipped: pixel by pixel
        const uint32_t red = colourtopixel(0xFFFF0000);
        EXPECT_EQ(readpixel(2, 0), 0u) << bpp;
        EXPECT_EQ(readpixel(3, 0), red) << bpp;
        EXPECT_EQ(readpixel(6, 0), red) << bpp; // the fifth texel
        EXPECT_EQ(readpixel(7, 0), 0u) << bpp;
        EXPECT_EQ(readpixel(0, 1), red) << bpp;
        // Level 8: half red over black, the same on both paths within a step.
        const uint32_t half = getargb(readpixel(5, 0)), clipped = getargb(readpixel(2, 1));
        EXPECT_NEAR(int((half >> 16) & 0xFF), 0x88, 8) << bpp; // premultiplied 255 x 0x88 / 255
        EXPECT_NEAR(int((clipped >> 16) & 0xFF), int((half >> 16) & 0xFF), 8) << bpp;
        FONT_free(f);
    }
    WIND* eight = open(8, 12, 2, 0);
    loaddefaultpalette();
    open(16, 12, 2, 0);
    FontObject* f = setfont(file.data()); // uploaded at 16 bits
    lockwindow(eight);
    FONTdrawtext(f, 0, 0, 0, "!");
    EXPECT_TRUE(aborts.saw("FONT_drawtext - 8bit draws not initialized"));
    fontbuildtexture(f); // uploads again while the 8-bit window is current
    FONTdrawtext(f, 0, 0, 0, "!");
    EXPECT_EQ(readpixel(1, 0), static_cast<uint32_t>(nearestcolour(0xFFFFFF)));
    FONT_free(f);
}

} // namespace
