// Text meshes: the reader's subset and its refusals, the merge into quads,
// duplicate vertices, clipping into depth-sliced strips and the drawing.
#include "sw_fixture.h"

#include "lib/image_write.h"
#include "lib/sw_write.h"

#include <cstring>

namespace {

const double k_unit[3] = {1.0, 1.0, 1.0};
const int32_t k_rect[5] = {0, 0, 640, 480, 0};

// A flat square of two triangles on the plane z = depth, untextured.
KitMesh square(double half, double depth, float red = 1.0f)
{
    KitMesh m;
    m.vertices = {{-half, -half, depth}, {half, -half, depth}, {half, half, depth}, {-half, half, depth}};
    m.faces = {{0, 1, 2}, {0, 2, 3}};
    m.face_materials = {0, 0};
    m.materials = {KitMeshMaterial{red, 0.0f, 0.0f, ""}};
    m.uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    return m;
}

int32_t load_text(x_mesh* mesh, const std::string& text)
{
    return load_clipped_mesh_text(mesh, text.data(), uint32_t(text.size()), "sw display\\mesh", k_rect, k_unit);
}

// A mesh record made by hand (camera at the origin: camera space = world).
void hand_mesh(x_mesh* m, const std::vector<std::array<int32_t, 3>>& vertices, const std::vector<std::array<int32_t, 3>>& faces,
               const std::vector<std::array<int32_t, 4>>& quads = {})
{
    *m = x_mesh{};
    m->vertex_count = int32_t(vertices.size());
    for (const auto& v : vertices) m->vertex_int.insert(m->vertex_int.end(), v.begin(), v.end());
    m->duplicate_of.assign(vertices.size(), -1);
    m->camera_vertices.assign(vertices.size(), mesh_vertex{});
    for (const auto& f : faces) m->triangles.push_back(mesh_triangle{0, {f[0], f[1], f[2]}});
    for (const auto& q : quads) m->quads.push_back(mesh_quad{0, {q[0], q[1], q[2], q[3]}});
    mesh_material mat{};
    mat.red = 1.0f;
    m->materials.push_back(mat);
    m->loaded = true;
}

std::vector<int32_t> emitted_depths(const x_mesh& m)
{
    std::vector<int32_t> z;
    for (const mesh_vertex& v : m.clip_vertices) z.push_back(v.z);
    return z;
}

} // namespace

TEST_F(SwTest, VerticesAreStoredReversedAndScaled)
{
    std::string text = "Mesh {\n1;\n1.0;2.0;3.0;;\n0;\nMeshMaterialList {\n0;\n0;\n}\nMeshNormals {\n0;\n}\n"
                       "MeshTextureCoords {\n1;\n0.5;0.25;;\n}\n}\n";
    const double scale[3] = {10.0, 20.0, 30.0};
    x_mesh m;
    ASSERT_EQ(parse_x_mesh_text(&m, text.data(), uint32_t(text.size()), "d", scale, 1), 1);
    EXPECT_EQ(m.vertex_int, (std::vector<int32_t>{90, 40, 10}));
    EXPECT_EQ(m.tex_coords[0].u, 32768);
    EXPECT_EQ(m.tex_coords[0].v, 16384);
    EXPECT_EQ(m.extent[0], 90);

    x_mesh d;
    ASSERT_EQ(parse_x_mesh_text(&d, text.data(), uint32_t(text.size()), "d", scale, 0), 1);
    EXPECT_EQ(d.vertex_double, (std::vector<double>{90.0, 40.0, 10.0}));
}

TEST_F(SwTest, MalformedMeshesAreRefusedCleanly)
{
    const std::string good = kit_x_mesh(square(100, 500));
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return t.replace(at, from.size(), to);
    };
    x_mesh ok;
    ASSERT_EQ(load_text(&ok, good), 1);

    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"named mesh header", replace("Mesh {", "Mesh square {")},
        {"four-sided face", replace("3;0,1,2;,", "4;0,1,2,3;,")},
        {"face index past the vertices", replace("3;0,2,3;;", "3;0,2,4;;")},
        {"negative face index", replace("3;0,2,3;;", "3;0,-1,3;;")},
        {"material index past the materials", replace("0,\n0;;", "0,\n1;;")},
        {"more listed materials than faces", replace("1;\n2;\n0,\n0;;", "1;\n3;\n0,\n0,\n0;;")},
        {"no listed materials", replace("1;\n2;\n0,\n0;;", "1;\n0;\n")},
        {"no material list", replace("MeshMaterialList {", "MaterialList {")},
        {"no material", replace("Material {", "Stuff {")},
        {"no normals", replace("MeshNormals {", "Normals {")},
        {"no texture coordinates", replace("MeshTextureCoords {", "TexCoords {")},
        {"fewer coordinates than vertices", replace("MeshTextureCoords {\n4;", "MeshTextureCoords {\n3;")},
        {"negative vertex count", replace("Mesh {\n4;", "Mesh {\n-4;")},
        {"vertex count beyond the text", replace("Mesh {\n4;", "Mesh {\n4000000;")},
        {"text ends inside the vertices", good.substr(0, good.find("0.000000;", good.find("Mesh {")) + 3)},
        {"a token longer than 255", replace("Mesh {\n4;", "Mesh {\n4" + std::string(300, '0') + ";")},
        {"a coordinate beyond 32 bits", replace("Mesh {\n4;\n", "Mesh {\n4;\n9e12;")},
    };
    for (const Case& c : cases) {
        x_mesh m;
        try {
            load_text(&m, c.text);
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const GameExit& e) {
            EXPECT_EQ(e.code, 1) << c.what;
        }
    }
}

TEST_F(SwTest, MaterialsOfUnlistedFacesAndTextureNames)
{
    // Five triangles, three listed indices: the last two take the third's.
    KitMesh k;
    for (int i = 0; i < 7; ++i) k.vertices.push_back({double(i * 10), double(i * i), 100.0 + i * 7});
    k.faces = {{0, 1, 2}, {1, 2, 3}, {2, 3, 4}, {3, 4, 5}, {4, 5, 6}};
    k.face_materials = {0, 1, 2};
    k.materials = {KitMeshMaterial{1, 0, 0, ""}, KitMeshMaterial{0, 1, 0, ""}, KitMeshMaterial{0, 0, 1, ""}};
    std::string text = kit_x_mesh(k);
    x_mesh m;
    ASSERT_EQ(parse_x_mesh_text(&m, text.data(), uint32_t(text.size()), "d", k_unit, 1), 1);
    ASSERT_EQ(m.triangles.size(), 5u);
    EXPECT_EQ(m.triangles[3].material, 2);
    EXPECT_EQ(m.triangles[4].material, 2);
    EXPECT_FLOAT_EQ(m.materials[1].desc.diffuse.g, 1.0f);
    EXPECT_EQ(m.materials[1].desc.ramp_size, 1u);

    // A quoted name loses its quotes.
    KitPicture pic = kit_picture(8, 8, 3);
    put("sw display/mesh/wall.bmp", kit_bmp(pic, 8, std::vector<uint32_t>(256, 0)));
    KitMesh t = square(50, 300);
    t.face_materials = {0, 1};
    t.materials = {KitMeshMaterial{1, 1, 1, "wall.bmp"}, KitMeshMaterial{0, 1, 0, ""}};
    std::string tt = kit_x_mesh(t);
    x_mesh tm;
    tm.texture_loader = load_bmp_texture;
    ASSERT_EQ(parse_x_mesh_text(&tm, tt.data(), uint32_t(tt.size()), "sw display\\mesh", k_unit, 1), 1);
    EXPECT_STREQ(tm.materials[0].texture_name, "wall.bmp");
    EXPECT_NE(tm.materials[0].texture_handle, 0u);
    EXPECT_STREQ(tm.materials[1].texture_name, "");

    // An untextured material before a textured one takes the later name, and
    // the search for the next material then starts past it: such a file (the
    // kit writes untextured materials last) is refused.
    std::swap(t.materials[0], t.materials[1]);
    std::string swapped = kit_x_mesh(t);
    x_mesh sm;
    EXPECT_THROW(parse_x_mesh_text(&sm, swapped.data(), uint32_t(swapped.size()), "sw display\\mesh", k_unit, 1),
                 GameExit);
    EXPECT_STREQ(sm.materials[0].texture_name, "wall.bmp");
}

TEST_F(SwTest, CoplanarPairsMergeIntoQuads)
{
    x_mesh flat;
    ASSERT_EQ(load_text(&flat, kit_x_mesh(square(100, 500))), 1);
    EXPECT_EQ(flat.quads.size(), 1u);
    EXPECT_TRUE(flat.triangles.empty());

    KitMesh bent = square(100, 500);
    bent.vertices[3][2] = 520; // the second triangle tilts
    x_mesh b;
    ASSERT_EQ(load_text(&b, kit_x_mesh(bent)), 1);
    EXPECT_TRUE(b.quads.empty());
    EXPECT_EQ(b.triangles.size(), 2u);

    // A 3 x 3 grid: a triangle takes part in several quads, more quads than triangles.
    KitMesh grid;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) grid.vertices.push_back({x * 100.0, y * 100.0, 800.0});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            int a = y * 4 + x;
            grid.faces.push_back({a, a + 1, a + 5});
            grid.faces.push_back({a, a + 5, a + 4});
        }
    grid.face_materials = {0};
    grid.materials = {KitMeshMaterial{}};
    x_mesh g;
    ASSERT_EQ(load_text(&g, kit_x_mesh(grid)), 1);
    EXPECT_EQ(g.quads.size(), 21u);
    EXPECT_TRUE(g.triangles.empty());

    // A box merges whole: no triangles are left.
    KitMesh box;
    for (int i = 0; i < 8; ++i) box.vertices.push_back({i & 1 ? 100.0 : -100.0, i & 2 ? 100.0 : -100.0, i & 4 ? 900.0 : 700.0});
    box.faces = {{0, 1, 3}, {0, 3, 2}, {4, 6, 7}, {4, 7, 5}, {0, 4, 5}, {0, 5, 1},
                 {2, 3, 7}, {2, 7, 6}, {0, 2, 6}, {0, 6, 4}, {1, 5, 7}, {1, 7, 3}};
    box.face_materials = {0};
    box.materials = {KitMeshMaterial{}};
    x_mesh bx;
    ASSERT_EQ(load_text(&bx, kit_x_mesh(box)), 1);
    EXPECT_EQ(bx.quads.size(), 6u);
    EXPECT_TRUE(bx.triangles.empty());

    // One triangle: no mesh, and nothing is drawn from it.
    KitMesh one = square(100, 500);
    one.faces.pop_back();
    one.face_materials.pop_back();
    x_mesh o;
    EXPECT_EQ(load_text(&o, kit_x_mesh(one)), 0);
    clear_screen(0);
    EXPECT_EQ(draw_x_mesh(&o, &sw_device), 1);
    EXPECT_EQ(count_pixels(0), 640 * 480);
}

TEST_F(SwTest, EqualVerticesShareTheirCameraTransform)
{
    KitMesh k = square(100, 500);
    k.vertices.push_back(k.vertices[2]);        // 4 repeats 2
    k.vertices.push_back({12345678.0, 0, 500}); // a real coordinate that looks like a mark
    k.vertices.push_back({12345678.0, 0, 500});
    k.faces.push_back({4, 5, 1});
    k.face_materials.push_back(0);
    x_mesh m;
    ASSERT_EQ(load_text(&m, kit_x_mesh(k)), 1);
    EXPECT_EQ(m.duplicate_of, (std::vector<int32_t>{-1, -1, -1, -1, 2, -1, 5}));
    camera_globals.x = 7;
    transform_x_mesh(&m);
    EXPECT_EQ(m.camera_vertices[4].x, m.camera_vertices[2].x);
    EXPECT_EQ(m.camera_vertices[5].x, 12345678 - 7);
    EXPECT_EQ(m.camera_vertices[6].x, 12345678 - 7);
}

TEST_F(SwTest, TrivialRejectNeedsOneEdgeForAllVertices)
{
    struct Case {
        const char* what;
        std::vector<std::array<int32_t, 3>> vertices;
        bool kept;
    };
    // At depth 0 a screen column is x + 320 and a row 240 - y.
    const Case cases[] = {
        {"wholly behind", {{0, 0, -10}, {10, 0, -10}, {0, 10, -5}}, false},
        {"all above the top", {{0, 300, 0}, {10, 300, 0}, {0, 310, 0}}, false},
        {"above, left and both", {{0, 300, 0}, {-400, 0, 0}, {-400, 300, 0}}, true},
        {"behind at minus D", {{0, 0, -686}, {10, 0, 100}, {0, 10, 100}}, true},
    };
    for (const Case& c : cases) {
        x_mesh m;
        hand_mesh(&m, c.vertices, {{0, 1, 2}});
        transform_x_mesh(&m);
        clip_mesh_polygons(&m, 0);
        EXPECT_EQ(!m.polygons.empty(), c.kept) << c.what;
    }

    // Corners in the four diagonal regions: every pair shares an edge, yet
    // the quad covers the screen and is drawn.
    x_mesh q;
    hand_mesh(&q, {{-400, 300, 0}, {400, 300, 0}, {400, -300, 0}, {-400, -300, 0}}, {}, {{0, 1, 2, 3}});
    clear_screen(0);
    ASSERT_EQ(draw_x_mesh(&q, &sw_device), 1);
    EXPECT_EQ(count_pixels(0), 639 + 480); // all but the last column and row
    EXPECT_EQ(pixel(639, 100), 0);
    EXPECT_EQ(pixel(100, 479), 0);
    EXPECT_TRUE(guards_whole());
}

TEST_F(SwTest, ClippingAtTheNearPlaneAndEachEdge)
{
    struct Case {
        const char* what;
        std::vector<std::array<int32_t, 3>> vertices;
        int32_t min_x, max_x, min_y, max_y;
    };
    const Case cases[] = {
        {"near plane", {{-100, -50, -200}, {100, -50, -200}, {0, 50, 300}}, 0, 639, 0, 479},
        {"left edge", {{-900, 0, 0}, {0, 100, 0}, {0, -100, 0}}, 0, 320, 140, 340},
        {"right edge", {{900, 0, 0}, {0, 100, 0}, {0, -100, 0}}, 320, 639, 140, 340},
        {"top edge", {{0, 600, 0}, {100, 0, 0}, {-100, 0, 0}}, 220, 420, 0, 240},
        {"bottom edge", {{0, -600, 0}, {100, 0, 0}, {-100, 0, 0}}, 220, 420, 240, 479},
    };
    for (const Case& c : cases) {
        x_mesh m;
        hand_mesh(&m, c.vertices, {{0, 1, 2}});
        transform_x_mesh(&m);
        clip_mesh_polygons(&m, 0);
        ASSERT_EQ(m.polygons.size(), 1u) << c.what;
        for (const mesh_vertex& v : m.clip_vertices) {
            EXPECT_GE(v.z, -1) << c.what;
            EXPECT_GE(v.screen_x, c.min_x - 1) << c.what;
            EXPECT_LE(v.screen_x, c.max_x + 1) << c.what;
            EXPECT_GE(v.screen_y, c.min_y - 1) << c.what;
            EXPECT_LE(v.screen_y, c.max_y + 1) << c.what;
        }
        EXPECT_GE(m.row_range[0], 0) << c.what;
        EXPECT_LE(m.row_range[1], 480) << c.what;
        EXPECT_LE(m.row_range[0], m.row_range[1]) << c.what;
    }
}

TEST_F(SwTest, DeepFacesAreCutIntoDepthSlices)
{
    x_mesh m;
    hand_mesh(&m, {{0, 0, 100000}, {-100, -100, 0}, {100, -100, 0}}, {{0, 1, 2}});
    transform_x_mesh(&m);
    clip_mesh_polygons(&m, 0);
    ASSERT_EQ(m.polygons.size(), 1u);
    EXPECT_EQ(m.polygons[0].count, 7);
    EXPECT_EQ(emitted_depths(m), (std::vector<int32_t>{100000, 60000, 60000, 20000, 20000, 0, 0}));
    EXPECT_GT(m.clip_vertices[1].x, 0); // the backward side runs toward vertex 2
    EXPECT_LT(m.clip_vertices[2].x, 0);

    m.flags = MESH_NO_DEPTH_SLICES;
    clip_mesh_polygons(&m, 0);
    EXPECT_EQ(emitted_depths(m), (std::vector<int32_t>{100000, 0, 0}));

    // Rows only: the strip's own vertices are not kept, the row range is.
    m.flags = MESH_ROWS_ONLY | MESH_NO_DEPTH_SLICES;
    clip_mesh_polygons(&m, 0);
    EXPECT_TRUE(m.clip_vertices.empty());
    EXPECT_EQ(m.row_range[0], 240);
    EXPECT_EQ(m.row_range[1], 340);
}

TEST_F(SwTest, DrawingWritesMaterialColoursAndTexelsIntoTheTarget)
{
    // An untextured red square in front of the camera.
    x_mesh m;
    ASSERT_EQ(load_text(&m, kit_x_mesh(square(100, 0))), 1);
    clear_screen(0);
    ASSERT_EQ(draw_x_mesh(&m, &sw_device), 1);
    EXPECT_EQ(pixel(320, 240), 200); // nearest to pure red
    EXPECT_EQ(count_pixels(200), 200 * 200);
    EXPECT_EQ(pixel(219, 240), 0);
    EXPECT_EQ(pixel(420, 240), 0);

    // Wound either way the face is drawn: nothing is culled.
    KitMesh back = square(100, 0);
    back.faces = {{0, 2, 1}, {0, 3, 2}};
    x_mesh b;
    ASSERT_EQ(load_text(&b, kit_x_mesh(back)), 1);
    clear_screen(0);
    ASSERT_EQ(draw_x_mesh(&b, &sw_device), 1);
    EXPECT_EQ(count_pixels(200), 200 * 200);

    // Textured: a 2 x 2 picture of four indices, made square and mirrored.
    KitPicture pic = kit_picture(2, 2);
    pic.at(0, 0) = 10;
    pic.at(1, 0) = 11;
    pic.at(0, 1) = 12;
    pic.at(1, 1) = 13;
    put("sw display/mesh/four.bmp", kit_bmp(pic, 8, std::vector<uint32_t>(256, 0)));
    KitMesh t = square(100, 0);
    t.materials[0].texture = "four.bmp";
    x_mesh tm;
    ASSERT_EQ(load_text(&tm, kit_x_mesh(t)), 1);
    clear_screen(0);
    ASSERT_EQ(draw_x_mesh(&tm, &sw_device), 1);
    // u runs with x, v with y (world y up is screen up); rows come top row
    // first, each reversed.
    EXPECT_EQ(pixel(230, 330), 11); // u 0, v 0
    EXPECT_EQ(pixel(410, 330), 10); // u 1
    EXPECT_EQ(pixel(230, 150), 13); // v 1
    EXPECT_EQ(pixel(410, 150), 12);
    EXPECT_TRUE(guards_whole());

    // A failed draw is reported.
    sw_device_fail_next_draws(1);
    EXPECT_EQ(draw_x_mesh(&tm, &sw_device), 0);
}
