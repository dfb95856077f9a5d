#include "model/attach_points.h"
#include "model/tca_model.h"
#include "lib/tca_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TcaMeshData quad_mesh(const char* name, const char* node)
{
    TcaMeshData m;
    m.texture = "PLAYER.TGA";
    m.name = name;
    m.node_name = node;
    m.vectors[TCA_PIVOT][0] = 1, m.vectors[TCA_PIVOT][1] = 2, m.vectors[TCA_PIVOT][2] = 3;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    m.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    m.facets = {{0, 1, 2, 0}, {0, 2, 3, 0}};
    m.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    return m;
}

// Two meshes, a skin between them, one variant set of two hair colours.
TcaFileData sample_model()
{
    TcaFileData f;
    f.version = 2;
    f.skin_normals = true;
    f.meshes = {quad_mesh("body", "thorax"), quad_mesh("head", "Head01")};
    TcaSkinData s;
    s.name = "NECK.TGA";
    s.pairs = {{0, 2}, {0, 3}, {1, 0}};
    s.normals = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
    s.uvs = {{0.1f, 0.1f}, {0.2f, 0.2f}, {0.3f, 0.3f}};
    s.triangles = {{0, 1, 2}};
    f.skins = {s};
    TcaVariantData v;
    v.target = 1;
    v.strides = {1, 2};
    v.dim_names = {"hair dark fair"};
    v.target_indices = {0, 2};
    v.alternatives = {{5, 5}, {6, 6}, {7, 7}, {8, 8}};
    f.variants = {v};
    f.keywords = {"hair dark fair"};
    return f;
}

struct Model {
    ModelContainer c{};
    bool ok;
    explicit Model(const std::vector<uint8_t>& bytes) : ok(read_tca(&c, bytes.data(), static_cast<uint32_t>(bytes.size()))) {}
    ~Model() { free_tca_arrays(&c); }
};

TEST(TcaReader, ReadsMeshesSkinsAndVariantSets)
{
    Model m(write_tca(sample_model()));
    ASSERT_TRUE(m.ok) << tca_error();
    ASSERT_EQ(m.c.mesh_count, 2);
    EXPECT_STREQ(m.c.meshes[1].name, "head");
    EXPECT_STREQ(m.c.meshes[1].node_name, "Head01");
    EXPECT_EQ(m.c.meshes[0].vectors[TCA_PIVOT][2], 3.0f);
    EXPECT_EQ(m.c.meshes[0].facet_count, 2);
    EXPECT_EQ(m.c.meshes[0].facets[1][2], 3);
    EXPECT_EQ(m.c.meshes[0].node_index, 65535); // no node section
    EXPECT_EQ(m.c.meshes[0].vertex_count2, 0);
    ASSERT_EQ(m.c.skin_count, 1);
    EXPECT_EQ(m.c.skins[0].vertex_of[1], 3);
    EXPECT_EQ(m.c.skins[0].triangles[0][2], 2u);
    EXPECT_EQ(m.c.skins[0].uvs[2].u, 0.3f);
    ASSERT_EQ(m.c.variant_count, 1);
    EXPECT_EQ(m.c.variants[0].strides[1], 2);
    EXPECT_STREQ(m.c.variants[0].dim_names[0], "hair dark fair");
    ASSERT_EQ(m.c.keyword_count, 1);
}

TEST(TcaReader, VersionOneHasNoVariantSection)
{
    TcaFileData f = sample_model();
    f.version = 1;
    Model m(write_tca(f));
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.c.variant_count, 0);
    EXPECT_EQ(m.c.keyword_count, 0);
    EXPECT_EQ(m.c.variants, nullptr);
}

TEST(TcaReader, NodeSectionGivesMeshesTheirNodes)
{
    TcaFileData f = sample_model();
    f.node_section = true;
    f.node_groups = {{TcaNodeData{{}, "a"}, TcaNodeData{{}, "b"}}};
    f.meshes[1].node_index = 1;
    Model m(write_tca(f));
    ASSERT_TRUE(m.ok) << tca_error();
    EXPECT_EQ(m.c.meshes[1].node_index, 1);
    EXPECT_STREQ(m.c.groups[0].nodes[1].name, "b");
}

TEST(TcaReader, CountsFrom32768AreNone)
{
    TcaFileData f;
    f.meshes = {};
    std::vector<uint8_t> bytes = write_tca(f);
    // A 22-byte header, then the mesh count and the skin count.
    ASSERT_EQ(bytes.size(), 26u);
    for (uint16_t count : {0x8000, 0xFFFF}) {
        bytes[22] = bytes[24] = static_cast<uint8_t>(count);
        bytes[23] = bytes[25] = static_cast<uint8_t>(count >> 8);
        Model m(bytes);
        ASSERT_TRUE(m.ok) << count << ": " << tca_error();
        EXPECT_EQ(m.c.mesh_count, 0);
        EXPECT_EQ(m.c.skin_count, 0);
    }
}

TEST(TcaReader, TheFourthFacetIndexAndTheNodeIndexAreNotChecked)
{
    TcaFileData f = sample_model();
    f.meshes[0].facets[1][3] = 65535; // not drawn: a triangle's marker
    f.node_section = true;
    f.node_groups = {{}};
    f.meshes[1].node_index = 7; // the file has no nodes at all
    Model m(write_tca(f));
    ASSERT_TRUE(m.ok) << tca_error();
    EXPECT_EQ(m.c.meshes[0].facets[1][3], 65535);
    EXPECT_EQ(m.c.meshes[1].node_index, 7);
}

TEST(TcaReader, RefusesCountsTheFileCannotHold)
{
    // Version 2, no sections, then a keyword count of 32,767 and nothing more.
    TcaFileData f;
    f.version = 2;
    f.mesh_section = false;
    std::vector<uint8_t> bytes = write_tca(f);
    ASSERT_EQ(bytes.size(), 28u);
    bytes[26] = 0xFF, bytes[27] = 0x7F;
    EXPECT_FALSE(Model(bytes).ok);
    EXPECT_NE(std::strstr(tca_error(), "keywords"), nullptr) << tca_error();
    // One keyword counted, none there: reading its string is a read past the end.
    bytes[26] = 1, bytes[27] = 0;
    EXPECT_FALSE(Model(bytes).ok);
    // A count of meshes, skins or variant sets larger than the bytes left.
    for (size_t at : {22u, 24u}) {
        std::vector<uint8_t> big = write_tca(TcaFileData{});
        big[at] = 0xFF, big[at + 1] = 0x7F;
        EXPECT_FALSE(Model(big).ok) << "count at " << at;
    }
}

TEST(TcaReader, StringMayEndAtTheEndOfTheFile)
{
    TcaFileData f = sample_model();
    std::vector<uint8_t> bytes = write_tca(f);
    ASSERT_EQ(bytes.back(), 0); // the last keyword's terminator
    bytes.pop_back();
    Model m(bytes);
    ASSERT_TRUE(m.ok) << tca_error();
    EXPECT_STREQ(m.c.keywords[0], "hair dark fair");
}

TEST(TcaReader, LongNamesAreCutToTheirFields)
{
    TcaFileData f = sample_model();
    f.meshes[0].name = std::string(40, 'n');
    f.meshes[0].texture = std::string(300, 't');
    Model m(write_tca(f));
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(std::strlen(m.c.meshes[0].name), 23u);
    EXPECT_EQ(std::strlen(m.c.meshes[0].texture), 255u);
    EXPECT_STREQ(m.c.meshes[1].name, "head"); // and the next field still lines up
}

TEST(TcaReader, RefusesEveryCutShortFile)
{
    // Version 1 ends with the skin section's last triangle; version 2 goes on
    // with the variant sets and keywords, whose counts must be there too.
    for (uint8_t version : {1, 2}) {
        TcaFileData f = sample_model();
        f.keywords.push_back("spare");
        f.version = version;
        std::vector<uint8_t> bytes = write_tca(f);
        ASSERT_TRUE(Model(bytes).ok);
        // A string may end at the end of the file: cut inside the last
        // keyword, the file still holds a model.
        const size_t end = version == 2 ? bytes.size() - std::strlen("spare") : bytes.size();
        for (size_t n = 0; n < end; ++n) {
            std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
            Model m(cut);
            EXPECT_FALSE(m.ok) << "version " << int(version) << " cut at " << n;
        }
    }
}

TEST(TcaReader, RefusesHostileIndicesAndHeaders)
{
    struct Case {
        const char* what;
        void (*spoil)(TcaFileData&);
    };
    const Case cases[] = {
        {"facet past the vertices", [](TcaFileData& f) { f.meshes[0].facets[0][1] = 4; }},
        {"skin on a missing mesh", [](TcaFileData& f) { f.skins[0].pairs[0][0] = 2; }},
        {"skin on a missing vertex", [](TcaFileData& f) { f.skins[0].pairs[0][1] = 9; }},
        {"skin triangle past its vertices", [](TcaFileData& f) { f.skins[0].triangles[0][0] = 3; }},
        {"variant on a missing mesh", [](TcaFileData& f) { f.variants[0].target = 5; }},
        {"variant on a missing skin", [](TcaFileData& f) { f.variants[0].kind = 1, f.variants[0].target = 1; }},
        {"variant past the coordinates", [](TcaFileData& f) { f.variants[0].target_indices[1] = 4; }},
    };
    for (const Case& c : cases) {
        TcaFileData f = sample_model();
        c.spoil(f);
        Model m(write_tca(f));
        EXPECT_FALSE(m.ok) << c.what;
    }
    std::vector<uint8_t> bytes = write_tca(sample_model());
    bytes[3] = 0;
    EXPECT_FALSE(Model(bytes).ok) << "version 0";
    bytes = write_tca(sample_model());
    bytes[0] = 'X';
    EXPECT_FALSE(Model(bytes).ok) << "magic";
}

TEST(TcaDerive, AppliesTheVariantOfTheFiguresKeywords)
{
    Model shared(write_tca(sample_model()));
    ASSERT_TRUE(shared.ok);
    struct Case {
        const char* keyword;
        float u0, u2; // texture coordinates 0 and 2 of the head afterwards
    };
    const Case cases[] = {
        {"dark", 5, 6}, {"fa", 7, 8}, // a figure word matches the start of a variant word
        {"hair", 0, 1},                // the dimension's own name does not count
        {"red", 0, 1},
    };
    for (const Case& c : cases) {
        const char* words[] = {c.keyword};
        ModelContainer* d = derive_tca_model(&shared.c, words, 1);
        EXPECT_EQ(d->meshes[1].uvs[0].u, c.u0) << c.keyword;
        EXPECT_EQ(d->meshes[1].uvs[2].u, c.u2) << c.keyword;
        EXPECT_EQ(d->meshes[1].uvs[1].u, 1) << c.keyword; // not a target index
        EXPECT_EQ(d->variant_count, 0);
        EXPECT_NE(d->meshes[1].vertices, shared.c.meshes[1].vertices);
        free_derived_tca_model(&d);
        EXPECT_EQ(d, nullptr);
    }
    EXPECT_EQ(shared.c.meshes[1].uvs[0].u, 0); // the shared model is left alone
}

TEST(TcaDerive, DimensionsAddTheirStridesOnASkin)
{
    TcaFileData f = sample_model();
    TcaVariantData v;
    v.target = 0;
    v.kind = 1; // the skin
    v.dim_names = {"hair dark fair", "boots black white", "no such keyword"};
    v.strides = {1, 2, 0, 4};
    v.target_indices = {1};
    v.alternatives = {{10, 10}, {11, 11}, {12, 12}, {13, 13}};
    f.variants = {v};
    f.keywords = {"hair dark fair", "boots black white"};
    Model shared(write_tca(f));
    ASSERT_TRUE(shared.ok) << tca_error();
    struct Case {
        std::vector<const char*> words;
        float u; // the skin's texture coordinate 1 afterwards
    };
    const Case cases[] = {
        {{"dark", "black"}, 10},
        {{"fair", "black"}, 11},
        {{"white", "fair"}, 13}, // each dimension takes the first figure word in its list
        {{"fair"}, 0.2f},       // no boots: the whole set stays unapplied
    };
    for (const Case& c : cases) {
        ModelContainer* d = derive_tca_model(&shared.c, c.words.data(), static_cast<int>(c.words.size()));
        EXPECT_EQ(d->skins[0].uvs[1].u, c.u) << c.words[0];
        EXPECT_EQ(d->skins[0].uvs[0].u, 0.1f) << c.words[0]; // not a target index
        free_derived_tca_model(&d);
    }
}

TEST(TcaStrings, WordsAndWhitespace)
{
    EXPECT_EQ(tca_word_position("hair dark fair", "dark"), 2);
    EXPECT_EQ(tca_word_position("hair dark fair", "hair"), 1);
    EXPECT_EQ(tca_word_position("hair dark fair", "da"), -1);
    char text[] = "  a\t\tb \r\n c  ";
    collapse_whitespace(text, '_');
    EXPECT_STREQ(text, "_a_b_c");
}

TEST(AttachPoints, FirstMeshMatchingFourLettersUpperCased)
{
    TcaFileData f;
    for (const char* node : {"thorax", "lhand_1", "LHUMERUS", "LHANDX", "rhum"}) f.meshes.push_back(quad_mesh("m", node));
    Model m(write_tca(f));
    ASSERT_TRUE(m.ok);
    int16_t ids[ATTACH_POINT_COUNT];
    bind_attach_points(&m.c, ids);
    EXPECT_EQ(ids[7], 0);  // THORAX
    EXPECT_EQ(ids[11], 1); // LHAND: the first of two
    EXPECT_EQ(ids[9], 2);  // LHUMERUS, not LHAND
    EXPECT_EQ(ids[12], 4); // RHUMERUS on four letters
    EXPECT_EQ(ids[14], -1);
    EXPECT_STREQ(m.c.meshes[1].node_name, "LHAND_1"); // upper-cased in place
    EXPECT_EQ(find_attach_point_of_mesh(&m.c, 1, 16), 11);
    EXPECT_EQ(find_attach_point_of_mesh(&m.c, 1, 11), -1); // LHAND is the twelfth name
    EXPECT_EQ(find_attach_point_of_mesh(&m.c, 1, 0), -1);
}

} // namespace
