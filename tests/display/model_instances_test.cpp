// Model instances against the recording device: texture slots shared by
// their full path, the batches a model's meshes and skins fill, what a batch
// hands the device, and the two pose paths of a figure.
#include "gl3d/gl_fixture.h"
#include "gl3d/picture_files.h"
#include "model/fixtures.h"
#include "platform/exit_trap.h"

#include "display/match_scene.h"
#include "display/model_instances.h"
#include "display/scene_lighting.h"
#include "display/shadows.h"
#include "gl3d/render_state.h"
#include "gl3d/texture_cache.h"
#include "lib/image_write.h"
#include "model/anim_table.h"
#include "model/rotation.h"
#include "model/rotation_keys.h"
#include "platform/settings.h"
#include "match/match_records.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace {

TcaMeshData mesh(const char* texture, std::vector<TcaVec3> vertices, std::vector<std::array<uint16_t, 4>> facets)
{
    TcaMeshData m;
    m.texture = texture;
    m.name = "part";
    m.node_name = "part";
    m.vertices = std::move(vertices);
    m.normals = m.vertices;
    m.facets = std::move(facets);
    m.uvs.resize(m.vertices.size());
    return m;
}

class ModelInstances : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        files = std::make_unique<PictureFiles>();
        reset_render_state_cache();
        reset_texture_cache();
        reset_texture_slots();
        set_lkz_image_mode(0);
        use_3d_hardware = 1;
        std::memset(animation_table, 0, sizeof animation_table);
    }
    void TearDown() override
    {
        for (auto& in : instances) free_model_instance(in.get());
        for (ModelContainer* c : containers) free_model_container(c);
        for (PafAnimation* a : animations) free_paf(a);
        std::memset(animation_table, 0, sizeof animation_table);
        reset_texture_slots();
        reset_texture_cache();
        reset_scene_lighting();
        host_set_exit_hook(nullptr);
        use_3d_hardware = 0;
        files.reset();
        GlFixture::TearDown();
    }
    ModelContainer* container(const TcaFileData& f)
    {
        files->write("model.tca", write_tca(f));
        ModelContainer* c = load_model_container("model.tca");
        EXPECT_NE(c, nullptr);
        containers.push_back(c);
        return c;
    }
    void picture(const std::string& path) { files->write(path, kit_tga(kit_picture(2, 2, 0xFF808080))); }
    ModelInstance* instance(ModelContainer* c)
    {
        instances.push_back(std::make_unique<ModelInstance>());
        ModelInstance* in = instances.back().get();
        in->model = c;
        in->height_factor = 1.0f;
        in->shadow_index = -1;
        return in;
    }
    // Bound and built as the scene builds a rigid model.
    ModelInstance* rigid(ModelContainer* c, const char* directory = nullptr, int mode = 0)
    {
        ModelInstance* in = instance(c);
        bind_model_textures(in, directory, mode);
        build_instance_lists(in);
        return in;
    }
    std::vector<RecordedCall> draws() const { return device.of_kind(RecordedCall::DRAW); }

    std::unique_ptr<PictureFiles> files;
    std::vector<std::unique_ptr<ModelInstance>> instances;
    std::vector<ModelContainer*> containers;
    std::vector<PafAnimation*> animations;
};

// A missing model is drawn as nothing; one that is there but cut short (a
// figure model at half its length, say) ends the game naming the file and
// where its reading stopped.
TEST_F(ModelInstances, AModelCutShortIsRefusedAMissingOneIsNot)
{
    EXPECT_EQ(load_model_container("none.tca"), nullptr);
    TcaFileData f;
    f.meshes = {mesh("player.tga", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{0, 1, 2, 0}})};
    std::vector<uint8_t> bytes = write_tca(f);
    bytes.resize(bytes.size() / 2);
    files->write("half.tca", bytes);
    Ending e = run_trapped([] { load_model_container("half.tca"); });
    EXPECT_TRUE(e.ended && e.code == 1);
    EXPECT_NE(e.box_text.find("load_model: half.tca (" + files->path("half.tca") + ")\n"), std::string::npos) << e.box_text;
    EXPECT_NE(e.box_text.find("run past the end"), std::string::npos) << e.box_text;
}

TEST_F(ModelInstances, TexturesAreSharedByTheirFullPathAndKitsTakeTheirOwn)
{
    for (const char* p : {"kitA/PLAYER.TGA", "kitB/PLAYER.TGA", "3d display/textures/FACE.TGA",
                          "3d display/textures/PLAYER.TGA"})
        picture(p);
    TcaFileData f;
    f.meshes = {mesh("player.tga", {{0, 0, 0}}, {}), mesh("face.tga", {{0, 0, 0}}, {})};
    ModelContainer* c = container(f);
    ModelInstance* a = instance(c);
    ModelInstance* b = instance(c);
    ModelInstance* other = instance(c);
    bind_model_textures(a, "kitA\\", 1);
    bind_model_textures(b, "kitA\\", 1);
    bind_model_textures(other, "kitB\\", 1);
    EXPECT_EQ(a->mesh_slot[0], b->mesh_slot[0]) << "one kit, one slot";
    EXPECT_NE(a->mesh_slot[0], other->mesh_slot[0]) << "another kit, another slot";
    EXPECT_EQ(a->mesh_slot[1], other->mesh_slot[1]) << "the face comes from the texture directory in mode 1";
    EXPECT_EQ(texture_slots[a->mesh_slot[0]].name, "kitA\\PLAYER.TGA");
    EXPECT_EQ(texture_slots[a->mesh_slot[1]].name, "3d display\\textures\\FACE.TGA");
    EXPECT_EQ(loaded_slot_count, 3);
    // Mode 0 without a directory takes every mesh from the texture directory.
    ModelInstance* plain = instance(c);
    bind_model_textures(plain, nullptr, 0);
    EXPECT_EQ(texture_slots[plain->mesh_slot[0]].name, "3d display\\textures\\PLAYER.TGA");
    EXPECT_EQ(plain->mesh_slot[1], a->mesh_slot[1]);
    EXPECT_EQ(loaded_slot_count, 4);
    EXPECT_EQ(device.of_kind(RecordedCall::CREATE_TEXTURE).size(), 4u) << "each file is read once";

    // Skins follow the same rule: in mode 1 only a skin of the kit's picture
    // takes the kit directory.
    TcaFileData skinned;
    skinned.meshes = {mesh("face.tga", {{0, 0, 0}}, {})};
    for (const char* name : {"player.tga", "face.tga"}) {
        TcaSkinData s;
        s.name = name;
        skinned.skins.push_back(s);
    }
    ModelInstance* dressed = instance(container(skinned));
    bind_model_textures(dressed, "kitB\\", 1);
    EXPECT_EQ(dressed->skin_slot[0], other->mesh_slot[0]);
    EXPECT_EQ(dressed->skin_slot[1], a->mesh_slot[1]);
    EXPECT_EQ(loaded_slot_count, 4);
}

TEST_F(ModelInstances, ASeventeenthTextureIsFatalAndNamesItsPath)
{
    TcaFileData f;
    for (int i = 0; i < 17; ++i) f.meshes.push_back(mesh(("T" + std::to_string(i) + ".TGA").c_str(), {{0, 0, 0}}, {}));
    ModelContainer* c = container(f);
    ModelInstance* in = instance(c);
    host_set_exit_hook(throw_game_exit);
    ::testing::internal::CaptureStderr();
    EXPECT_THROW(bind_model_textures(in, nullptr, 0), GameExit);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Can't load file"), std::string::npos) << said;
    EXPECT_NE(said.find("3d display\\textures\\T16.TGA"), std::string::npos) << said;
    EXPECT_EQ(loaded_slot_count, TEXTURE_SLOTS);
}

TEST_F(ModelInstances, ARigidModelFillsOneBatchPerTextureWithTurnedTrianglesAndBgrColours)
{
    TcaFileData f;
    TcaMeshData first = mesh("A.TGA", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{0, 1, 2, 0}});
    first.normals = {{0.2f, 0.4f, 1.5f}, {0, 0, 0}}; // one short, and a channel above 1
    first.uvs = {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0.7f, 0.8f}}; // one extra
    TcaMeshData second = mesh("a.tga", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{2, 1, 0, 1}});
    second.uvs.clear(); // none at all
    f.meshes = {first, second, mesh("B.TGA", {{0, 0, 0}}, {})};
    ModelInstance* in = rigid(container(f));
    ASSERT_EQ(in->mesh_slot[0], in->mesh_slot[1]);
    const RenderBatch& b = in->batch[in->mesh_slot[0]];
    EXPECT_EQ(b.vertex_count, 6);
    EXPECT_EQ(b.triangle_count, 2);
    EXPECT_EQ(b.indices, (std::vector<uint32_t>{2, 1, 0, 3, 4, 5})) << "(c, b, a) plus the mesh's base";
    EXPECT_EQ(b.uv_count, 6);
    EXPECT_EQ(b.uvs, (std::vector<float>{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(b.colour_count, 6);
    EXPECT_EQ(std::vector<uint8_t>(b.colours.begin(), b.colours.begin() + 12),
              (std::vector<uint8_t>{255, 102, 51, 255, 0, 0, 0, 255, 255, 255, 255, 255}));
    EXPECT_EQ(std::vector<float>(b.vertices.begin(), b.vertices.begin() + 3), (std::vector<float>{-1, -2, 3}));
    EXPECT_EQ(in->batch[in->mesh_slot[2]].vertex_count, 1);

    struct Case {
        float position[3], angles[3], scale[3];
        float first[3]; // the first vertex (1, 2, 3) placed
    } cases[] = {
        {{0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {-1, -2, 3}},
        {{10, 20, 30}, {0, 0, 0}, {2, 1, 1}, {-12, -22, 33}},
        {{0, 0, 0}, {0, 3.14159265f / 2, 0}, {1, 1, 1}, {3, -2, 1}},
    };
    for (const Case& k : cases) {
        place_model(in, k.position, k.angles, k.scale);
        EXPECT_EQ(in->batch[in->mesh_slot[0]].vertex_count, 6);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(in->batch[in->mesh_slot[0]].vertices[i], k.first[i], 1e-4f) << i;
    }
}

TEST_F(ModelInstances, ABatchReachesTheDeviceOnlyWhenItHoldsTriangles)
{
    picture("3d display/textures/A.TGA");
    TcaFileData f;
    TcaMeshData m = mesh("A.TGA", {{0, 0, -10}, {-1, 0, -10}, {0, -1, -10}}, {{2, 1, 0, 0}});
    m.uvs = {{0.25f, 0.5f}, {1, 0}, {0, 1}};
    f.meshes = {m};
    ModelInstance* in = rigid(container(f));
    look_down_minus_z();
    device.forget();
    draw_model_batch(in, in->mesh_slot[0] + 1); // a slot it has nothing in
    draw_model_batch_alt(in, in->mesh_slot[0]); // no skins
    EXPECT_TRUE(draws().empty());
    draw_model_batch(in, in->mesh_slot[0]);
    const auto d = draws();
    ASSERT_EQ(d.size(), 1u);
    ASSERT_EQ(d[0].b, 3u);
    EXPECT_FLOAT_EQ(d[0].vertices[0].x, 320.0f);
    EXPECT_FLOAT_EQ(d[0].vertices[1].x, 344.0f) << "x drawn negated";
    EXPECT_FLOAT_EQ(d[0].vertices[2].y, 264.0f) << "y drawn negated";
    EXPECT_EQ(d[0].vertices[0].u, 0.25f);
    EXPECT_EQ(d[0].vertices[0].v, 0.5f);
}

// Two bone meshes on one texture and a skin on another, reaching from the
// second vertex of mesh 0 to two of mesh 1.
TcaFileData skinned_pair()
{
    TcaFileData f;
    f.meshes = {mesh("A.TGA", {{0, 0, 0}, {1, 0, 0}}, {}), mesh("A.TGA", {{5, 0, 0}, {6, 0, 0}, {7, 0, 0}}, {})};
    TcaSkinData s;
    s.name = "skin.tga";
    s.pairs = {{0, 1}, {1, 0}, {1, 2}};
    s.uvs = {{0.1f, 0.1f}, {0.2f, 0.2f}, {0.3f, 0.3f}};
    s.triangles = {{0, 1, 2}};
    f.skins = {s};
    return f;
}

TEST_F(ModelInstances, SkinVerticesFollowTheRigidVerticesTheyNameAfterEveryPlacing)
{
    ModelInstance* in = rigid(container(skinned_pair()));
    const int rigid_slot = in->mesh_slot[0], skin_slot = in->skin_slot[0];
    ASSERT_NE(rigid_slot, skin_slot);
    EXPECT_EQ(texture_slots[skin_slot].name, "3d display\\textures\\SKIN.TGA");
    const FlexiBatch& f = in->flexi[skin_slot];
    EXPECT_EQ(f.vertex_count, 3);
    EXPECT_EQ(f.vertex_indices, (std::vector<uint32_t>{1, 2, 4})) << "mesh 1 starts at vertex 2";
    EXPECT_EQ(f.rigid_slots, (std::vector<uint8_t>(3, static_cast<uint8_t>(rigid_slot))));
    EXPECT_EQ(f.facets, (std::vector<uint32_t>{2, 1, 0}));
    EXPECT_EQ(f.uvs[2], 0.2f);
    const float at[3] = {10, 0, 0}, zero[3] = {0, 0, 0}, one[3] = {1, 1, 1};
    place_model(in, at, zero, one);
    copy_flexi_vertices(in);
    EXPECT_EQ(f.vertices, (std::vector<float>{-11, 0, 0, -15, 0, 0, -17, 0, 0}));

    look_down_minus_z();
    device.forget();
    draw_model_batch_alt(in, rigid_slot);
    EXPECT_TRUE(draws().empty()) << "the skins of another slot";
    reverse_skin_winding(in->model);
    EXPECT_EQ(in->model->skins[0].triangles[0][0], 2u);
    EXPECT_EQ(in->model->skins[0].triangles[0][2], 0u);
}

class PosedFigure : public ModelInstances {
protected:
    void SetUp() override
    {
        ModelInstances::SetUp();
        PafAnimation* a = parse_or_fail(write_paf(still_animation(2, 0)));
        animations.push_back(a);
        animation_table[5].data = a;
    }
    ModelInstance* figure(int meshes = 16)
    {
        TcaFileData f = skeleton_model(simple_pivots());
        f.meshes.resize(static_cast<size_t>(meshes));
        for (TcaMeshData& m : f.meshes) m.vertices = {{1, 2, 3}}, m.normals = m.vertices, m.uvs = {{0, 0}};
        ModelInstance* in = instance(container(f));
        bind_model_textures(in, "kit\\", 1);
        build_figure_batches(in);
        return in;
    }
    void pose(ModelInstance* in, int32_t heading)
    {
        AnimSlot primary{}, blend{};
        primary.animation = 5;
        blend.animation = -1;
        const float at[3] = {100, 0, 50};
        pose_skinned_model(in, primary, at, heading, blend, 0);
    }
    // A still animation with some tracks turned a quarter turn about one axis
    // (0 x, 1 y, 2 z).
    PafAnimation* turned(std::initializer_list<int> tracks, int axis)
    {
        PafFileData d = still_animation(2, 0);
        const float h = std::sqrt(0.5f);
        for (int t : tracks)
            for (PafRotKey& k : d.tracks[size_t(t)].rot) {
                k.w = h;
                (axis == 0 ? k.x : axis == 1 ? k.y : k.z) = h;
            }
        PafAnimation* a = parse_or_fail(write_paf(d));
        animations.push_back(a);
        return a;
    }
    static std::array<float, 3> at(const ModelInstance* in, int joint)
    {
        return {in->attach[joint][0], in->attach[joint][1], in->attach[joint][2]};
    }
    static void expect_near(std::array<float, 3> got, std::array<float, 3> want, const std::string& what)
    {
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], 1e-3f) << what << " axis " << i;
    }
};

// The hip of the left leg turned a quarter about z swings the leg out
// sideways; on a mirrored row that track moves the right leg the other way
// and the left leg hangs straight, each mesh still stored in build order.
TEST_F(PosedFigure, ComposingPlacesEachBoneOnItsParentAndAMirroredRowWearsTheOtherSide)
{
    PafAnimation* hip = turned({1}, 2);
    const PosedJoint root{{1, 0, 0, 0}, {0, 0, 0}};
    const PoseSource none{nullptr, 0, 0};
    struct Case {
        int mirrored;
        std::array<float, 3> left_foot, right_foot;
        std::array<float, 3> swung_vertex; // the swung foot's vertex (1, 2, 3) as stored
    } cases[] = {
        {0, {-90, 0, 0}, {10, -80, 0}, {88, 1, 3}},
        {1, {-10, -80, 0}, {90, 0, 0}, {-88, -1, 3}},
    };
    for (const Case& c : cases) {
        ModelInstance* in = figure();
        clear_bone_channels(in, 0, TEXTURE_SLOTS, 2);
        compose_skeleton(in, PoseSource{hip, 0, 0}, none, c.mirrored, JOINT_ROOT, root);
        const std::string row = c.mirrored ? "mirrored" : "plain";
        expect_near(at(in, JOINT_LEFT_FOOT), c.left_foot, row + " left foot");
        expect_near(at(in, JOINT_RIGHT_FOOT), c.right_foot, row + " right foot");
        const RenderBatch& b = in->batch[in->mesh_slot[0]];
        ASSERT_EQ(b.vertex_count, 14) << "every bone of level 1 below the root";
        // The root was not stored, so mesh m sits one place before its base.
        const int foot = c.mirrored ? JOINT_RIGHT_FOOT : JOINT_LEFT_FOOT;
        const size_t v = 3 * (in->mesh_base[foot] - 1);
        expect_near({b.vertices[v], b.vertices[v + 1], b.vertices[v + 2]}, c.swung_vertex, row + " foot vertex");
    }
}

// A blend slot turns the torso only: the shoulders follow it, but the arms
// keep the primary animation's keys.
TEST_F(PosedFigure, TheBlendSlotGivesTheTorsoItsKeysAndNothingBelowIt)
{
    PafAnimation* body = turned({}, 0);
    PafAnimation* twist = turned({7, 13}, 1);
    ModelInstance* in = figure();
    clear_bone_channels(in, 0, TEXTURE_SLOTS, 2);
    const PosedJoint root{{1, 0, 0, 0}, {0, 0, 0}};
    compose_skeleton(in, PoseSource{body, 0, 0}, PoseSource{twist, 0, 0}, 0, JOINT_ROOT, root);
    expect_near(at(in, 12), {0, 50, 20}, "right shoulder turned with the torso");
    expect_near(at(in, JOINT_RIGHT_HAND), {0, -5, 20}, "right hand hanging straight below it");
    expect_near(at(in, JOINT_HEAD), {0, 60, 0}, "the head on the torso's axis");
}

// Posing casts the figure's shadow from the pose it has just made, on the
// 3D path only, and a held ball's disc before it.
TEST_F(PosedFigure, PosingCastsTheShadowOfTheNewPose)
{
    reset_scene_lighting();
    reset_shadows();
    match_globals.time_of_day = 0;
    user_settings.pitch_render_quality = 1;
    alloc_shadow_lists();
    clear_lights();
    add_directional_light(0, 1, 0); // straight down
    ModelInstance* in = figure();
    in->shadow_index = add_shadow_entry(in, 7); // the twelve-point stick shadow
    auto cast = [] {
        int32_t n = 0;
        for (const ShadowBuffer& b : shadow_buffers) n += b.vertex_count;
        return n;
    };
    auto all_vertices = [] {
        std::vector<float> v;
        for (const ShadowBuffer& b : shadow_buffers) v.insert(v.end(), b.vertices.begin(), b.vertices.begin() + 3 * b.vertex_count);
        return v;
    };
    struct Case {
        int hardware, shadow, ball;
        int32_t vertices;
    } cases[] = {{1, 1, 0, 12}, {1, 1, 1, 12 + 17}, {0, 1, 0, 0}, {1, 0, 0, 0}};
    for (const Case& c : cases) {
        use_3d_hardware = c.hardware;
        const int32_t entry = in->shadow_index;
        if (!c.shadow) in->shadow_index = -1;
        select_instance_lod(in, c.ball ? 0 : 1); // a holder shows the ball joint
        pose(in, 0); // the shadows of an earlier pose, if any
        for (ShadowBuffer& b : shadow_buffers) b.vertex_count = b.index_count = b.uv_count = 0;
        AnimSlot primary{}, blend{};
        primary.animation = 5;
        blend.animation = -1;
        const float moved[3] = {-300, 0, 200};
        pose_skinned_model(in, primary, moved, 4096, blend, c.ball);
        in->shadow_index = entry;
        ASSERT_EQ(cast(), c.vertices) << c.hardware << c.shadow << c.ball;
        if (!c.vertices) continue;
        // Straight down, every stick vertex is its posed point on the ground.
        const std::vector<float> v = all_vertices();
        const size_t first = c.ball ? 17 : 0;
        const int order[12] = {12, 9, 13, 14, 10, 11, 4, 5, 6, 1, 2, 3};
        for (int k = 0; k < 12; ++k) {
            EXPECT_NEAR(v[3 * (first + k)], -in->attach[order[k]][0], 1e-3f) << k;
            EXPECT_NEAR(v[3 * (first + k) + 2], in->attach[order[k]][2], 1e-3f) << k;
        }
        if (c.ball) {
            EXPECT_NEAR(v[0], -in->attach[JOINT_BALL][0], 1e-3f) << "the ball's disc first";
        }
    }
    use_3d_hardware = 1;
    reset_shadows();
    user_settings.pitch_render_quality = 0;
}

TEST_F(PosedFigure, TheSoftwarePathKeepsAJointRecordWhereTheHardwarePathWritesVertices)
{
    ModelInstance* in = figure();
    const int slot = in->mesh_slot[0];
    pose(in, 4096);
    const std::vector<float> drawn(in->batch[slot].vertices);
    ASSERT_EQ(in->batch[slot].vertex_count, 15) << "level 1 leaves the ball joint out";
    EXPECT_TRUE(in->pose_list.empty());

    use_3d_hardware = 0;
    pose(in, 4096);
    EXPECT_EQ(in->batch[slot].vertex_count, 0);
    ASSERT_EQ(in->pose_list.size(), 15u);
    for (size_t k = 0; k < 15; ++k) {
        const JointPose& p = in->pose_list[k];
        const float v[3] = {1, 2, 3};
        float r[3];
        vec_mul_mat3(v, p.matrix, r);
        EXPECT_NEAR(-(r[0] + p.position[0]), drawn[3 * k], 1e-3f) << k;
        EXPECT_NEAR(-(r[1] + p.position[1]), drawn[3 * k + 1], 1e-3f) << k;
        EXPECT_NEAR(r[2] + p.position[2], drawn[3 * k + 2], 1e-3f) << k;
    }
}

TEST_F(PosedFigure, LevelZeroHoldsTheBallJointAndAFigureWithoutOneStaysAtLevelOne)
{
    ModelInstance* whole = figure(16);
    select_instance_lod(whole, 0);
    EXPECT_EQ(whole->level, 0);
    pose(whole, 0);
    EXPECT_EQ(whole->batch[whole->mesh_slot[0]].vertex_count, 16);

    ModelInstance* short_one = figure(15);
    select_instance_lod(short_one, 0);
    EXPECT_EQ(short_one->level, 1);
    pose(short_one, 0);
    EXPECT_EQ(short_one->batch[short_one->mesh_slot[0]].vertex_count, 15);

    // Channels cleared by mask: 2 the vertex count only.
    clear_bone_channels(whole, 0, TEXTURE_SLOTS, 2);
    EXPECT_EQ(whole->batch[whole->mesh_slot[0]].vertex_count, 0);
    EXPECT_EQ(whole->batch[whole->mesh_slot[0]].uv_count, 16);
}

TEST_F(ModelInstances, TheRootTurnMatchesTheHeadingTurnOfThePose)
{
    struct Case {
        int32_t heading, mirrored, turn_offset;
        float offset[3]; // (1, 0, 0) turned
    } cases[] = {
        {4096, 0, 1, {0, 0, -1}},
        {4096, 1, 1, {0, 0, 1}},
        {4096, 0, 0, {1, 0, 0}},
        {8192, 0, 1, {-1, 0, 0}},
    };
    for (const Case& c : cases) {
        float q[4] = {1, 0, 0, 0}, offset[3] = {1, 0, 0};
        turn_root_by_heading(q, offset, c.heading, c.mirrored, c.turn_offset);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(offset[i], c.offset[i], 1e-5f) << c.heading << " " << c.mirrored;
        // The turned rotation carries a vector the same way.
        double m[9];
        interp_key_a(q, m);
        const float x[3] = {1, 0, 0};
        float r[3];
        vec_mul_mat3(x, m, r);
        const float expected_z = c.mirrored ? 1.0f : c.heading == 8192 ? 0.0f : -1.0f;
        EXPECT_NEAR(r[2], expected_z, 1e-4f) << c.heading << " " << c.mirrored;
    }
}

TEST_F(ModelInstances, SmallStoresAndTheSizingPass)
{
    store_model_flag(0x5A);
    EXPECT_EQ(model_flag[0], 0x5A);
    EXPECT_EQ(model_flag[1], 0xA5);

    alloc_shadow_lists();
    store_model_light_direction(3, 0, 4);
    EXPECT_FLOAT_EQ(model_light_direction[0], 0.6f);
    EXPECT_FLOAT_EQ(model_light_direction[2], 0.8f);
    ASSERT_EQ(get_light_count(), 1);
    EXPECT_EQ(lights[0].flags & 1, 1u);
    EXPECT_FLOAT_EQ(lights[0].direction[2], 0.8f);

    TcaFileData f = skinned_pair();
    f.meshes[1].facets = {{0, 1, 2, 0}, {2, 1, 0, 0}};
    ModelInstance* in = rigid(container(f));
    int32_t v[TEXTURE_SLOTS], t[TEXTURE_SLOTS], uv[TEXTURE_SLOTS];
    size_render_lists(in, v, t, uv);
    EXPECT_EQ(v[in->mesh_slot[0]], 5);
    EXPECT_EQ(t[in->mesh_slot[0]], 2);
    EXPECT_EQ(uv[in->mesh_slot[0]], 5);
    EXPECT_EQ(v[in->skin_slot[0]], 0) << "skins are not the rigid batches'";
}

TEST_F(ModelInstances, ScalingAPlayerModelReachesOnlyTheMeshesItHas)
{
    TcaFileData f;
    TcaMeshData weapon = mesh("A.TGA", {{1, 2, 3}}, {});
    weapon.node_name = "WEAPON";
    weapon.vectors[TCA_PIVOT][0] = 2;
    TcaMeshData body = mesh("A.TGA", {{1, 2, 3}}, {});
    body.vectors[TCA_PIVOT][1] = 4;
    f.meshes = {body, weapon};
    ModelContainer* c = container(f);
    scale_player_model(c, 1.5f);
    EXPECT_FLOAT_EQ(c->meshes[0].vectors[TCA_PIVOT][1], 6);
    EXPECT_FLOAT_EQ(c->meshes[0].vertices[0].x, 1) << "only the ball joint's mesh is scaled whole";
    EXPECT_FLOAT_EQ(c->meshes[1].vectors[TCA_PIVOT][0], 3);
    EXPECT_FLOAT_EQ(c->meshes[1].vertices[0].z, 4.5f);
}

} // namespace

namespace {

TEST_F(ModelInstances, AFiguresVariantKeywordsChooseItsTextureCoordinatesAndLeaveTheSharedModelAlone)
{
    TcaFileData f = skeleton_model(simple_pivots());
    f.version = 2;
    for (TcaMeshData& m : f.meshes) m.uvs = {{0, 0}};
    TcaVariantData v;
    v.target = 8; // the head
    v.strides = {1, 2};
    v.dim_names = {"HAIR LONG SHORT"};
    v.target_indices = {0};
    v.alternatives = {{0.1f, 0.1f}, {0.9f, 0.9f}};
    f.variants = {v};
    f.keywords = {"HAIR LONG SHORT"};
    ModelContainer* shared = container(f);
    struct Case {
        std::vector<const char*> names;
        float u; // the head's first texture coordinate
    } cases[] = {{{"SHORT"}, 0.9f}, {{"7", "LONG"}, 0.1f}, {{}, 0.0f}, {{"BALD"}, 0.0f}};
    for (const Case& c : cases) {
        ModelInstance* in = instance(nullptr);
        ASSERT_TRUE(create_model_instance(in, nullptr, 1.0f, shared, "kit\\", c.names.data(),
                                          static_cast<int32_t>(c.names.size())));
        EXPECT_EQ(in->model, shared);
        EXPECT_EQ(in->owns_model, 0);
        EXPECT_EQ(in->attach_nodes[8], 8);
        // The head is the ninth mesh in joint order at its slot.
        EXPECT_FLOAT_EQ(in->batch[in->mesh_slot[8]].uvs[2 * in->mesh_base[8]], c.u) << c.names.size();
        EXPECT_EQ(shared->meshes[8].uvs[0].u, 0.0f);
    }
}

} // namespace
