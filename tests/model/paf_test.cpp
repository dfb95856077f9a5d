#include "fixtures.h"

#include "model/paf.h"

#include <cstring>

namespace {

PafFileData two_key_animation()
{
    PafFileData f;
    f.reserved = 0x1234;
    f.root_motion = 1;
    f.separate_ball = 1;
    f.tracks.resize(16);
    for (int t = 0; t < 16; ++t) {
        f.tracks[t].rot = {{0, 1, 0, 0, 0}, {50000, 0, 1, 0, 0}};
        if (t == 0 || t == 15) f.tracks[t].pos = {{0, 1, 2, 3}, {50000, 4, 5, float(t)}};
    }
    return f;
}

PafAnimation* parse(const std::vector<uint8_t>& bytes, const char** why)
{
    return parse_paf(bytes.data(), static_cast<uint32_t>(bytes.size()), why);
}

TEST(PafLoader, ReadsHeaderTracksAndKeysFieldByField)
{
    PafAnimation* a = parse_or_fail(write_paf(two_key_animation()));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->reserved, 0x1234);
    EXPECT_EQ(a->root_motion, 1);
    EXPECT_EQ(a->separate_ball, 1);
    ASSERT_EQ(a->track_count, 16);
    EXPECT_EQ(a->tracks[3].rot_count, 2u);
    EXPECT_EQ(a->tracks[3].rot[1].x, 1.0f);
    // Rotation keys of all tracks first, in track order, then positions.
    EXPECT_EQ(a->tracks[1].rot, a->tracks[0].rot + 2);
    EXPECT_EQ(static_cast<void*>(a->tracks[0].pos), static_cast<void*>(a->tracks[15].rot + 2));
    EXPECT_EQ(a->tracks[15].pos[1].z, 15.0f);
    // A track without position keys points where its keys would start.
    EXPECT_EQ(a->tracks[1].pos_count, 0u);
    EXPECT_EQ(a->tracks[1].pos, a->tracks[0].pos + 2);
    EXPECT_EQ(paf_length(a), 50000u);
    free_paf(a);
}

TEST(PafLoader, LengthWithoutRootPositionKeys)
{
    PafFileData f = two_key_animation();
    f.tracks[0].pos.clear();
    PafAnimation* a = parse_or_fail(write_paf(f));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(paf_length(a), 50000u); // the last rotation key's time
    free_paf(a);
    for (auto& t : f.tracks) t.rot.clear(), t.pos.clear();
    a = parse_or_fail(write_paf(f)); // no keys of either kind still loads
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(paf_length(a), 0u);
    free_paf(a);
}

TEST(PafLoader, RefusesFilesItCannotPlay)
{
    struct Case {
        const char* what;
        void (*spoil)(std::vector<uint8_t>&);
    };
    const Case cases[] = {
        {"fifteen tracks", [](std::vector<uint8_t>& b) { b[0] = 15; }},
        {"fewer position keys than rotation keys",
         [](std::vector<uint8_t>& b) { uint32_t one = 1; std::memcpy(&b[5 + 4], &one, 4); }},
        {"a count that runs past the file",
         [](std::vector<uint8_t>& b) { uint32_t big = 0xFFFFFFFFu; std::memcpy(&b[5 + 16], &big, 4); }},
        {"counts whose sizes overflow 32 bits",
         [](std::vector<uint8_t>& b) {
             uint32_t big = 0x40000000u;
             for (int t = 0; t < 16; ++t) std::memcpy(&b[5 + 16 * t], &big, 4);
         }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = write_paf(two_key_animation());
        c.spoil(bytes);
        const char* why = nullptr;
        EXPECT_EQ(parse(bytes, &why), nullptr) << c.what;
        EXPECT_NE(why, nullptr) << c.what;
    }
}

TEST(PafLoader, RefusesEveryCutShortFile)
{
    std::vector<uint8_t> bytes = write_paf(two_key_animation());
    for (size_t n = 0; n < bytes.size(); ++n) {
        const char* why = nullptr;
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        EXPECT_EQ(parse(cut, &why), nullptr) << "cut at " << n;
    }
}

class PafFiles : public DataDirTest {};

TEST_F(PafFiles, BadOrMissingFileIsAFatalError)
{
    std::vector<uint8_t> bytes = write_paf(two_key_animation());
    bytes[0] = 3;
    put("3d display/pafs/bad.paf", bytes);
    char bad[] = "3d display\\pafs\\bad.paf";
    try {
        load_paf(bad);
        FAIL() << "a bad file loaded";
    } catch (const GameExit& e) {
        EXPECT_EQ(e.code, 1);
    }
    char missing[] = "3d display\\pafs\\none.paf";
    EXPECT_THROW(load_paf(missing), GameExit);
}

TEST_F(PafFiles, SoftwarePathReadsTheSafTwin)
{
    put("3d display/safs/L_run_nb.saf", write_paf(two_key_animation()));
    char name[] = "3d display\\pafs\\L_run_nb.paf";
    use_3d_hardware = 0;
    PafAnimation* a = nullptr;
    EXPECT_NO_THROW(a = load_paf(name));
    use_3d_hardware = 1;
    EXPECT_STREQ(name, "3d display\\safs\\L_run_nb.saf"); // the caller's string keeps the change
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->track_count, 16);
    free_paf(a);
}

TEST(BlendAnimation, SixteenTracksOfTwoKeysReadyToRead)
{
    PafAnimation* a = new_blend_anim();
    ASSERT_EQ(a->track_count, 16);
    for (int t = 0; t < 16; ++t) {
        EXPECT_EQ(a->tracks[t].rot_count, 2u);
        EXPECT_EQ(a->tracks[t].pos_count, 2u);
        EXPECT_EQ(a->tracks[t].rot[0].w, 1.0f);
        EXPECT_EQ(a->tracks[t].pos[1].time, 50000u);
    }
    EXPECT_EQ(static_cast<void*>(a->tracks[0].rot), a->keys);
    EXPECT_EQ(paf_length(a), 50000u);
    free_paf(a);
}

} // namespace
