// The built data set's toss coin, as the match display shows it: drawn at a
// hundredth of its size by the overlay camera, which looks along +z with one
// unit a pixel, and turned about x from face on (at rest) to face on again.
#include "host/paths.h"
#include "model/tca_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>

namespace
{

TEST(OverlayModels, TheCoinFacesTheOverlayCameraLargeEnoughToSeeFromEitherSide)
{
    ASSERT_NE(std::getenv("KOB99_DATA_DIR"), nullptr);
    ModelContainer coin{};
    ASSERT_EQ(load_tca_file(&coin, host_data_file("3d display\\tcas\\coin.tca").c_str()), 1) << tca_error();
    ASSERT_EQ(coin.mesh_count, 1);
    const TcaMesh& m = coin.meshes[0];
    ASSERT_GT(m.facet_count, 0);

    float low[3] = {1e9f, 1e9f, 1e9f}, high[3] = {-1e9f, -1e9f, -1e9f};
    for (int v = 0; v < m.vertex_count; ++v) {
        const float p[3] = {m.vertices[v].x * 0.01f, m.vertices[v].y * 0.01f, m.vertices[v].z * 0.01f};
        for (int i = 0; i < 3; ++i) low[i] = std::min(low[i], p[i]), high[i] = std::max(high[i], p[i]);
    }
    // Some tens of pixels across, upright: a disc lying in x-z is edge on at
    // rest and cannot be seen at all.
    EXPECT_GE(high[0] - low[0], 30.0f);
    EXPECT_GE(high[1] - low[1], 30.0f);
    EXPECT_LT(high[2] - low[2], 1.0f);

    // Turned half over it shows its back: every facet has its reverse.
    std::set<std::tuple<int, int, int>> facets;
    for (int f = 0; f < m.facet_count; ++f) {
        const int a = m.facets[f][0], b = m.facets[f][1], c = m.facets[f][2];
        facets.insert({a, b, c});
        facets.insert({b, c, a});
        facets.insert({c, a, b});
    }
    for (int f = 0; f < m.facet_count; ++f)
        EXPECT_TRUE(facets.count({m.facets[f][0], m.facets[f][2], m.facets[f][1]})) << "facet " << f;
    free_tca_arrays(&coin);
}

} // namespace
