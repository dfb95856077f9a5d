// The man display list: depth order, view folding, placement of a man's
// parts and of single objects, and the scaled sprite set-up.
#include "sw_fixture.h"

#include "lib/sw_write.h"
#include "swrender/sw_display_list.h"
#include "swrender/sw_spans.h"

#include <cstring>

namespace {

// One 4 x 3 frame that every view of every set points at.
struct OneFrameSets {
    std::vector<uint8_t> file;
    uint32_t offsets[SW_STORED_VIEWS] = {};
    sprite_set_table table{};
    OneFrameSets()
    {
        KitManFrame f;
        f.width = 4;
        f.height = 3;
        f.texels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        file = kit_man_sprites({f}, nullptr);
        for (int s = 0; s < SW_SPRITE_SETS; ++s) table.sets[s] = sprite_set_row{offsets, file.data(), uint32_t(file.size())};
        sw_shared_sprite_file = file.data();
        sw_shared_sprite_size = uint32_t(file.size());
        ball_sprite_offsets = offsets;
    }
    ~OneFrameSets()
    {
        sw_shared_sprite_file = nullptr;
        sw_shared_sprite_size = 0;
        ball_sprite_offsets = nullptr;
    }
};

// A standing man about (x, z): every bone straight up the y axis.
void pose_man(sw_bone_record bones[16], float x, float z)
{
    const float heights[16] = {90, 80, 45, 5, 80, 45, 5, 130, 170, 150, 120, 95, 150, 120, 95, 100};
    const float sides[16] = {0, -10, -10, -10, 10, 10, 10, 0, 0, -20, -22, -24, 20, 22, 24, 30};
    for (int b = 0; b < 16; ++b) {
        bones[b].x = x + sides[b];
        bones[b].y = heights[b];
        bones[b].z = z;
        const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        std::memcpy(bones[b].m, identity, sizeof identity);
    }
}

class DisplayListTest : public SwTest {
protected:
    void SetUp() override
    {
        SwTest::SetUp();
        reset_sw_display_lists();
        reset_sw_spans();
        build_view_direction_table();
        sw_back_buffer = nullptr;
        sw_man_surface = nullptr;
    }
    void TearDown() override
    {
        reset_sw_display_lists();
        sw_back_buffer = nullptr;
        SwTest::TearDown();
    }
};

} // namespace

TEST_F(DisplayListTest, DepthListKeepsAscendingOrder)
{
    int tags[8];
    const int32_t depths[8] = {5, 3, 5, 9, 1, 5, 9, 4};
    for (int i = 0; i < 8; ++i) add_depth_item(&tags[i], 65536, 65536, 0, 0, 0, depths[i], 0);
    ASSERT_EQ(sw_depth_count, 8);
    // Equal depths appended at the end keep their order (9, 9); one inserted
    // in the middle goes in front of its equals (the third 5).
    const int expect[8] = {4, 1, 7, 5, 0, 2, 3, 6};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(sw_depth_list[i].item, &tags[expect[i]]) << i;

    // Too small to see: dropped, unless it is a mesh.
    add_depth_item(&tags[0], 255, 65536, 0, 0, 0, 2, 0);
    add_depth_item(&tags[0], 65536, 100, 0, 0, 0, 2, 0);
    EXPECT_EQ(sw_depth_count, 8);
    add_depth_item(&tags[0], 0, 0, 0, 0, 0, 2, DEPTH_MESH);
    EXPECT_EQ(sw_depth_count, 9);

    // A full list takes no more.
    for (int i = sw_depth_count; i < SW_MAX_DEPTH_ITEMS + 10; ++i) add_depth_item(&tags[1], 65536, 65536, 0, 0, 0, i, 0);
    EXPECT_EQ(sw_depth_count, SW_MAX_DEPTH_ITEMS);
}

TEST_F(DisplayListTest, UpperViewsFoldOntoLowerOnesWithHalfATurn)
{
    EXPECT_EQ(view_fold_table[12 * 32 + 5].view, 4 * 32 + 11);
    EXPECT_EQ(view_fold_table[12 * 32 + 5].roll_step, 128);
    EXPECT_EQ(view_fold_table[8 * 32 + 0].view, 16);
    EXPECT_EQ(view_fold_table[3 * 32 + 7].view, 3 * 32 + 7);
    EXPECT_EQ(view_fold_table[3 * 32 + 7].roll_step, 0);
    for (int v = 0; v < SW_VIEWS; ++v) EXPECT_LT(view_fold_table[size_t(v)].view, SW_STORED_VIEWS) << v;
    // Looking straight along the view (elevation 0) nothing is foreshortened
    // sideways; a quarter turn up it all is.
    EXPECT_NEAR(view_direction_table[0].factor, 1.0, 1e-9);
    EXPECT_NEAR(view_direction_table[4 * 32].factor, 0.0, 1e-3);
}

TEST_F(DisplayListTest, MenArePlacedPartByPart)
{
    OneFrameSets sets;
    sw_bone_record bones[16];

    // The root exactly at the camera's depth plane is placed; his parts are
    // scaled 1416 x 67 (set 7 half of that); without the ball 12 sprites.
    pose_man(bones, 0, 0);
    add_sw_display_entry(bones, &sets.table, 65536, 0);
    display_3D_man();
    // Nothing was drawn (no surface), but the parts were placed and drawn off the list.
    EXPECT_EQ(sw_depth_count, 0);
    EXPECT_EQ(sw_display_count, 0);

    pose_man(bones, 0, 0);
    add_sw_display_entry(bones, &sets.table, 65536, 0);
    sort_sprite_list();
    ASSERT_EQ(sw_depth_count, 12);
    int regular = 0, head = 0;
    for (int i = 0; i < sw_depth_count; ++i) {
        if (sw_depth_list[i].x_scale == 94872 && sw_depth_list[i].y_scale == 94872) ++regular;
        if (sw_depth_list[i].x_scale == 94872 / 2) ++head;
    }
    EXPECT_EQ(regular, 11);
    EXPECT_EQ(head, 1);
    reset_sw_display_lists();

    // With the ball: one more sprite, at the ball's depth scale.
    add_sw_display_entry(bones, &sets.table, 65536, 1);
    sort_sprite_list();
    ASSERT_EQ(sw_depth_count, 13);
    int ball = 0;
    for (int i = 0; i < sw_depth_count; ++i) ball += sw_depth_list[i].x_scale == 65536;
    EXPECT_EQ(ball, 1);
    reset_sw_display_lists();

    // Slightly behind the camera: not placed.
    pose_man(bones, 0, -1);
    add_sw_display_entry(bones, &sets.table, 65536, 0);
    sort_sprite_list();
    EXPECT_EQ(sw_depth_count, 0);

    // The list holds 58 men.
    pose_man(bones, 0, 500);
    for (int i = 0; i < SW_MAX_MEN + 3; ++i) add_sw_display_entry(bones, &sets.table, 65536, 0);
    EXPECT_EQ(sw_display_count, SW_MAX_MEN);
    reset_sw_display_lists();

    // Sets that lead outside the sprite file draw nothing of that part.
    uint32_t wild[SW_STORED_VIEWS];
    std::fill(std::begin(wild), std::end(wild), 0xFFFFFF00u);
    sprite_set_table broken = sets.table;
    broken.sets[8].offsets = wild;
    pose_man(bones, 0, 0);
    add_sw_display_entry(bones, &broken, 65536, 0);
    sort_sprite_list();
    EXPECT_EQ(sw_depth_count, 11);
}

TEST_F(DisplayListTest, EqualDepthsDrawLaterInsertionsFirst)
{
    OneFrameSets sets;
    std::vector<uint8_t> two = sets.file;
    two[SW_FRAME_HEADER] = 99; // the same frame with another first texel
    clear_screen(0);
    sw_back_buffer = target->pixels.data();
    add_depth_item(sets.file.data(), 65536, 65536, 0, 100, 100, 50, 0);
    add_depth_item(two.data(), 65536, 65536, 0, 100, 100, 50, 0);
    display_3D_man();
    EXPECT_EQ(pixel(100, 100), 1); // the first one went last, on top
}

TEST_F(DisplayListTest, ScaledSpritesCoverTheirTexels)
{
    OneFrameSets sets;
    const uint8_t* texels = sets.file.data() + SW_FRAME_HEADER;
    clear_screen(0);
    draw_scaled_rotated_sprite(texels, 4, 3, 0, 0, 65536, 65536, 0, target->pixels.data(), 100, 100, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(pixel(100 + x, 100 + y), texels[y * 4 + x]) << x << "," << y;
    EXPECT_EQ(count_pixels(0), 640 * 480 - 12);

    // Mirrored: the rows run the other way.
    clear_screen(0);
    draw_scaled_rotated_sprite(texels, 4, 3, 4, 0, 65536, 65536, 0, target->pixels.data(), 104, 100, 1);
    std::vector<uint8_t> row;
    for (int x = 96; x < 110; ++x)
        if (pixel(x, 100)) row.push_back(pixel(x, 100));
    EXPECT_EQ(row, (std::vector<uint8_t>{4, 3, 2, 1}));

    // Twice the size.
    clear_screen(0);
    draw_scaled_rotated_sprite(texels, 4, 3, 0, 0, 131072, 131072, 0, target->pixels.data(), 200, 200, 0);
    EXPECT_EQ(count_pixels(0), 640 * 480 - 48);
    EXPECT_EQ(pixel(207, 205), 12);

    // Wholly beyond one edge: nothing.
    clear_screen(0);
    draw_scaled_rotated_sprite(texels, 4, 3, 0, 0, 65536, 65536, 0, target->pixels.data(), -20, 100, 0);
    draw_scaled_rotated_sprite(texels, 4, 3, 0, 0, 65536, 65536, 0, target->pixels.data(), 100, 500, 0);
    EXPECT_EQ(count_pixels(0), 640 * 480);
    EXPECT_TRUE(guards_whole());
}

TEST_F(DisplayListTest, PostsInFrontOfTheCameraJoinTheList)
{
    x_mesh goal, behind;
    sw_goal_post_mesh = &goal;
    sw_behind_post_mesh = &behind;
    queue_goal_posts(); // from the centre, looking along +z: the posts at +z only
    int goals = 0, behinds = 0;
    for (int i = 0; i < sw_depth_count; ++i) {
        EXPECT_EQ(sw_depth_list[i].flags, DEPTH_MESH);
        goals += sw_depth_list[i].item == &goal;
        behinds += sw_depth_list[i].item == &behind;
    }
    EXPECT_EQ(goals, 2);
    EXPECT_EQ(behinds, 2);
    // Drawn through the mesh renderer: a failure is fatal.
    goal.loaded = false;
    behind.loaded = false;
    display_3D_man();
    EXPECT_EQ(goal.position[0], 9594);
    EXPECT_EQ(sw_depth_count, 0);
    sw_goal_post_mesh = sw_behind_post_mesh = nullptr;
}

TEST_F(DisplayListTest, ObjectsArePlacedWhileTheyReachTheScreen)
{
    OneFrameSets sets;
    double m[9];
    make_rotation_matrix_xyz(0, 0, 0, m);
    struct Case {
        int32_t x, z;
        bool placed;
    };
    // At depth 0 a column is x + 320 and the half size 50 pixels.
    const Case cases[] = {{0, 0, true}, {0, -1, false}, {-370, 0, true}, {-371, 0, false}, {370, 0, true}, {371, 0, false}};
    for (const Case& c : cases) {
        reset_sw_display_lists();
        place_sw_object(sets.offsets, c.x, 0, c.z, m);
        EXPECT_EQ(sw_depth_count == 1, c.placed) << c.x << "," << c.z;
    }
    reset_sw_display_lists();
    place_sw_object(sets.offsets, 0, 0, 686, m);
    ASSERT_EQ(sw_depth_count, 1);
    EXPECT_EQ(sw_depth_list[0].x_scale, 32768);
    EXPECT_EQ(sw_depth_list[0].depth, 686);
    EXPECT_GE(sw_depth_list[0].roll, 0);
    EXPECT_LT(sw_depth_list[0].roll, 16384);
}

TEST_F(DisplayListTest, PointsOnScreenAreFound)
{
    float on[6] = {-1000, 0, 5000, 0, 0, 100}; // x is negated on the way in
    EXPECT_EQ(project_sw_points(2, on), 1);
    EXPECT_FLOAT_EQ(on[0], 1000.0f);
    float off[6] = {-5000, 0, 10, -6000, 0, 10};
    EXPECT_EQ(project_sw_points(2, off), 0);
    float behind[3] = {0, 0, -10};
    EXPECT_EQ(project_sw_points(1, behind), 0);
    EXPECT_EQ(project_sw_points(0, on), 0);
}
