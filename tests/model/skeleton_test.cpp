#include "fixtures.h"

#include "model/anim_table.h"
#include "model/skeleton.h"

#include <cmath>
#include <cstring>

namespace {

const float kS = 0.70710678f; // sin and cos of 45 degrees
const double kFine = 655.36;

// A quarter turn to the man's right about the vertical, as the kit writes it.
const PafRotKey kYawRight = {0, kS, 0, -kS, 0};

class Skeleton : public DataDirTest {
protected:
    std::vector<PafAnimation*> owned;

    void SetUp() override
    {
        DataDirTest::SetUp();
        std::memset(animation_table, 0, sizeof animation_table);
        put("3d display/pgfs/midplayer_shorthair.pgf", write_tca(skeleton_model(simple_pivots())));
        load_player_model();
    }
    void TearDown() override
    {
        for (PafAnimation* a : owned) free_paf(a);
        std::memset(animation_table, 0, sizeof animation_table);
        free_player_model();
        DataDirTest::TearDown();
    }
    // Puts an animation into a row of the table.
    PafAnimation* install(int row, const PafFileData& f, uint32_t mirror = 0)
    {
        PafAnimation* a = parse_or_fail(write_paf(f));
        owned.push_back(a);
        animation_table[row].data = a;
        animation_table[row].mirror = mirror;
        return a;
    }
    void expect_at(int row, uint32_t time, int joint, double x, double y, double z, int32_t heading = 0)
    {
        int32_t p[3];
        float ang[3];
        eval_animation(nullptr, p, ang, row, time, joint, heading);
        EXPECT_EQ(p[0], std::lrint(x * kFine)) << "joint " << joint;
        EXPECT_EQ(p[1], std::lrint(y * kFine)) << "joint " << joint;
        EXPECT_EQ(p[2], std::lrint(z * kFine)) << "joint " << joint;
    }
};

TEST_F(Skeleton, IdentityKeysStackThePivotsAndTheHandOffsets)
{
    install(0, still_animation(2, 0));
    // Right hand: root, torso, shoulder, elbow, wrist, then (2, -1, 6) and
    // ten units along its pivot.
    expect_at(0, 0, JOINT_RIGHT_HAND, 22, 84, 6);
    expect_at(0, 0, JOINT_LEFT_HAND, -22, 84, 6);
    expect_at(0, 0, JOINT_LEFT_FOOT, -10, 20, 0);
    expect_at(0, 0, JOINT_BALL, 0, 100, 10);
    expect_at(0, 0, JOINT_ROOT, 0, 100, 0);
}

TEST_F(Skeleton, QuarterTurnOfTheRootTurnsTheBodyAndTheYaw)
{
    PafFileData f = still_animation(2, 0);
    for (auto& k : f.tracks[0].rot) k = {k.time, kYawRight.w, kYawRight.x, kYawRight.y, kYawRight.z};
    install(0, f);
    install(1, f, 1);
    install(2, still_animation(2, 0));
    // Facing +x now: the ball joint ahead of him goes to +x, his right hand behind.
    expect_at(0, 0, JOINT_BALL, 10, 100, 0);
    expect_at(0, 0, JOINT_RIGHT_HAND, 6, 84, -22);
    EXPECT_EQ(anim_turn_at(0, 2), 4096);
    // The mirrored row turns the other way.
    expect_at(1, 0, JOINT_RIGHT_HAND, -6, 84, -22);
    EXPECT_EQ(anim_turn_at(1, 2), -4096);
    // The man's heading turns the result the same way as the root's yaw.
    expect_at(2, 0, JOINT_RIGHT_HAND, 6, 84, -22, 4096);
    expect_at(2, 0, JOINT_BALL, 10, 100, 0, 4096);
}

TEST_F(Skeleton, MirroredRowNegatesAcrossAndTheLastTwoAngles)
{
    PafFileData f = still_animation(2, 0);
    const float c = std::cos(0.2f), s = std::sin(0.2f);
    for (auto& k : f.tracks[13].rot) k = {k.time, c, s, 0, 0};   // elbow
    for (auto& k : f.tracks[12].rot) k = {k.time, c, 0, 0, s};   // shoulder
    install(0, f);
    install(1, f, 1);
    int32_t p0[3], p1[3];
    float a0[3], a1[3];
    eval_animation(nullptr, p0, a0, 0, 0, JOINT_RIGHT_HAND, 0);
    eval_animation(nullptr, p1, a1, 1, 0, JOINT_RIGHT_HAND, 0);
    EXPECT_EQ(p1[0], -p0[0]);
    EXPECT_EQ(p1[1], p0[1]);
    EXPECT_EQ(p1[2], p0[2]);
    EXPECT_EQ(a1[0], a0[0]);
    EXPECT_EQ(a1[1], -a0[1]);
    EXPECT_EQ(a1[2], -a0[2]);
    EXPECT_NE(a0[2], 0);
}

TEST_F(Skeleton, RootMotionLeavesTheRootInPlace)
{
    PafFileData f = still_animation(2, 1);
    f.tracks[0].pos[1] = {50000, 7, 3, 9};
    install(0, f);
    f.root_motion = 0;
    install(1, f);
    expect_at(0, 50000, JOINT_ROOT, 0, 103, 0);
    expect_at(0, 50000, JOINT_RIGHT_HAND, 22, 87, 6);
    expect_at(1, 50000, JOINT_ROOT, 7, 103, 9); // without root motion the keys are positions
}

TEST_F(Skeleton, KeySearchRestartsAndStopsAtTheLastKey)
{
    PafAnimation* a = install(0, still_animation(2, 0));
    const PafTrack& t = a->tracks[0];
    struct Case {
        uint32_t time, cache, want;
    };
    const Case cases[] = {
        {75000, 0, 1}, {60000, 1, 1}, {10000, 2, 0}, // earlier than the cache: from key 0
        {100000, 0, 2}, {999999, 1, 2},              // at or past the last key
        {20000, 9, 0},                               // a cache from a longer track
    };
    for (const Case& c : cases) {
        EXPECT_EQ(find_rot_key(t, c.time, c.cache), c.want) << c.time << " from " << c.cache;
        EXPECT_EQ(find_pos_key(t, c.time, c.cache), c.want) << c.time << " from " << c.cache;
    }
}

TEST_F(Skeleton, InterpolationTakesKeysAsTheyAreOnTheirTimes)
{
    PafFileData f = still_animation(2, 0);
    f.tracks[0].rot[1] = {50000, kYawRight.w, kYawRight.x, kYawRight.y, kYawRight.z};
    f.tracks[0].pos[1] = {50000, 0, 8, 0};
    PafAnimation* a = install(0, f);
    float q[4], pos[3];
    interpolate_joint(a, 0, 50000, find_rot_key(a->tracks[0], 50000, 0), 1.0f, q, pos);
    EXPECT_EQ(q[0], kYawRight.w);
    EXPECT_EQ(q[2], kYawRight.y);
    EXPECT_EQ(pos[1], 8);
    interpolate_joint(a, 0, 25000, 0, 2.0f, q, pos);
    EXPECT_NEAR(q[0], std::cos(3.14159265f / 8), 1e-6); // half of the quarter turn
    EXPECT_EQ(pos[1], 8);                                // half of 8, doubled: the root's height scales
    EXPECT_EQ(anim_turn_at(0, 1), 4096);
    EXPECT_EQ(anim_turn_at(0, 0), 0);
}

TEST_F(Skeleton, RootTravelAddsTheIntervalsItCrosses)
{
    PafFileData f = still_animation(3, 1);
    f.tracks[0].pos[1] = {50000, 10, 0, 20};
    f.tracks[0].pos[2] = {100000, 10, 0, 40};
    f.tracks[0].pos[3] = {150000, 0, 0, 60};
    PafAnimation* a = install(0, f);
    struct Case {
        uint32_t t0, t1;
        float x, z;
    };
    const Case cases[] = {
        {0, 150000, 20, 120}, {25000, 75000, 10, 30}, {62500, 87500, 5, 20}, {150000, 200000, 0, 0},
        {0, 999999, 20, 120},
    };
    for (const Case& c : cases) {
        float x, y, z;
        root_travel(a, c.t0, c.t1, &x, &y, &z, nullptr, 0);
        EXPECT_FLOAT_EQ(x, c.x) << c.t0 << ".." << c.t1;
        EXPECT_FLOAT_EQ(z, c.z) << c.t0 << ".." << c.t1;
        EXPECT_EQ(y, 0);
        root_travel(a, c.t0, c.t1, &x, &y, &z, nullptr, 1);
        EXPECT_FLOAT_EQ(x, -c.x) << "mirrored";
    }
    FigurePose fig{};
    set_anim_slot(&fig, 0, 0, SLOT_SET_PRIMARY_CLEAR_BLEND);
    EXPECT_EQ(fig.blend.animation, -1);
    advance_root_motion(&fig, 0, 150000);
    EXPECT_EQ(fig.x, std::lrint(20 * kFine));
    EXPECT_EQ(fig.y, std::lrint(120 * kFine));
}

TEST_F(Skeleton, SecondAnimationMovesOnlyTheTorsoAndWhatHangsFromIt)
{
    PafFileData first = still_animation(1, 0), second = still_animation(1, 0);
    for (auto& k : second.tracks[0].pos) k.y = 50;
    PafAnimation* a = install(0, first);
    PafAnimation* b = install(1, second);
    float ang[3], hand[3], foot[3];
    ASSERT_TRUE(pose_skeleton(&player_model.default_skeleton, a, b, 0, 0, JOINT_RIGHT_HAND, ang, hand));
    ASSERT_TRUE(pose_skeleton(&player_model.default_skeleton, a, b, 0, 0, JOINT_LEFT_FOOT, ang, foot));
    EXPECT_FLOAT_EQ(hand[1], 134);
    EXPECT_FLOAT_EQ(foot[1], 20);
}

TEST_F(Skeleton, SecondHierarchyHasNoBallJoint)
{
    PafAnimation* a = install(0, still_animation(1, 0));
    SkeletonContext ctx = player_model.default_skeleton;
    ctx.hierarchy = 1;
    float ang[3], pos[3] = {1, 1, 1};
    EXPECT_FALSE(pose_skeleton(&ctx, a, nullptr, 0, 0, JOINT_BALL, ang, pos));
    EXPECT_EQ(pos[0] + pos[1] + pos[2], 0);
    EXPECT_TRUE(pose_skeleton(&ctx, a, nullptr, 0, 0, JOINT_RIGHT_HAND, ang, pos));
    // eval_animation poses with the whole skeleton and gives the context back as it was.
    install(1, still_animation(1, 0));
    int32_t p[3];
    eval_animation(&ctx, p, ang, 1, 0, JOINT_BALL, 0);
    EXPECT_EQ(p[2], std::lrint(10 * kFine));
    EXPECT_EQ(ctx.hierarchy, 1);
}

class PlayerModel : public DataDirTest {};

TEST_F(PlayerModel, MissingModelOrMeshIsAFatalError)
{
    struct Case {
        const char* what;
        bool write;
        const char* rhand_node; // the node name of the right hand's mesh
        char magic;             // the file's first byte
        const char* says;       // in the error box
        bool halved = false;    // the file cut to half its length
    };
    const Case cases[] = {
        {"no model file", false, "RHAND", 'T', "file not found"},
        {"not a model", true, "RHAND", 'X', "Can't load file"},
        {"no mesh for RHAND", true, "RHUMP", 'T', "no mesh carries RHAND"},
        {"cut to half its length", true, "RHAND", 'T', "run", true},
    };
    for (const Case& c : cases) {
        TcaFileData f = skeleton_model(simple_pivots());
        f.meshes[14].node_name = c.rhand_node;
        std::vector<uint8_t> bytes = write_tca(f);
        bytes[0] = static_cast<uint8_t>(c.magic);
        if (c.halved) bytes.resize(bytes.size() / 2);
        std::filesystem::remove(dir + "/3d display/pgfs/midplayer_shorthair.pgf");
        if (c.write) put("3d display/pgfs/midplayer_shorthair.pgf", bytes);
        testing::internal::CaptureStderr();
        EXPECT_THROW(load_player_model(), GameExit) << c.what;
        std::string box = testing::internal::GetCapturedStderr();
        EXPECT_NE(box.find(c.says), std::string::npos) << c.what << ": " << box;
    }
    std::memset(&player_model, 0, sizeof player_model);
}

TEST_F(PlayerModel, SoftwarePathLoadsItsOwnModel)
{
    put("sw display/swtest.pgf", write_tca(skeleton_model(simple_pivots())));
    use_3d_hardware = 0;
    EXPECT_NO_THROW(load_player_model()); // no "3d display" model in this data set
    use_3d_hardware = 1;
    ASSERT_NE(player_model.model, nullptr);
    EXPECT_EQ(player_model.default_skeleton.mesh_of_joint[JOINT_RIGHT_HAND], 14);
    free_player_model();
}

TEST_F(PlayerModel, HandsWithoutPivotLengthStayNumbers)
{
    float pivots[16][3];
    std::memcpy(pivots, simple_pivots(), sizeof pivots);
    for (int j : {11, 14}) pivots[j][0] = pivots[j][1] = pivots[j][2] = 0;
    put("3d display/pgfs/midplayer_shorthair.pgf", write_tca(skeleton_model(pivots)));
    load_player_model();
    EXPECT_EQ(player_model.hand_offset_14[0], 2);
    EXPECT_EQ(player_model.hand_offset_14[1], -1);
    EXPECT_EQ(player_model.hand_offset_11[0], -2);
    EXPECT_EQ(player_model.hand_offset_11[2], 6);
    free_player_model();
}

} // namespace
