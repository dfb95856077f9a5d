// Vertex lighting.
#include "gl_fixture.h"

namespace {

class LightingTest : public GlFixture {
protected:
    // Lights one vertex at the origin with the normal n, eye at z = -10.
    void light_one(const float* n)
    {
        look_down_minus_z();
        static const float position[3] = {0, 0, -10};
        gl_vertex_pointer(1, 1, position);
        gl_normal_pointer(1, 1, n);
        gl_begin_scene();
        static const uint32_t none[3] = {0, 0, 0};
        gl_draw_arrays(0, none);
    }
};

TEST_F(LightingTest, NoLightGivesEmissionPlusModelAmbient)
{
    gl_enable(GL_CAP_LIGHTING);
    static const float n[3] = {0, 0, 1};
    light_one(n);
    EXPECT_EQ(context->lit[0][0], 10);
    EXPECT_EQ(context->lit[0][1], 10);
    EXPECT_EQ(context->lit[0][2], 10);
    EXPECT_EQ(context->lit[0][3], 204);
}

TEST_F(LightingTest, DirectionalLightAddsDiffuseByTheAngle)
{
    gl_enable(GL_CAP_LIGHTING);
    gl_enable(GL_CAP_LIGHT0); // white diffuse from +z by default
    const float head_on[3] = {0, 0, 1};
    light_one(head_on);
    // 0.04 + 0.8 = 0.84 -> 214
    EXPECT_EQ(context->lit[0][0], 214);
    const float sideways[3] = {1, 0, 0};
    light_one(sideways);
    EXPECT_EQ(context->lit[0][0], 10);
    // A back face sees the negated normal.
    gl_pipeline_a(1);
    EXPECT_EQ(context->lit[0][0], 10);
}

TEST_F(LightingTest, PointLightAttenuationSpotAndSpecular)
{
    // Light 0 (white diffuse and specular) at the eye; one vertex lit with the
    // default material unless a case says otherwise.
    struct Case {
        const char* name;
        float vertex[3], normal[3];
        float linear, shininess, spot_cutoff, spot_exponent, spot_z;
        bool specular_material;
        uint8_t red;
    };
    const Case cases[] = {
        // 0.04 + 1 / (1 + 10 x 0.1) x (0.8 + 1 x 1) = 0.94
        {"attenuated with a highlight", {0, 0, -10}, {0, 0, 1}, 0.1f, 10, 180, 0, -1, true, 239},
        // no shininess set: the table's factor is still 0, so no highlight
        {"shine table unset", {0, 0, -10}, {0, 0, 1}, 0.1f, 0, 180, 0, -1, true, 112},
        // the spot points away from the vertex
        {"outside the spot", {0, 0, -10}, {0, 0, 1}, 0, 0, 45, 0, 1, false, 10},
        // 36.87 degrees off the spot's axis, exponent 2: f = 0.8^2 from the table
        {"inside the spot", {6, 0, -8}, {-0.6f, 0, 0.8f}, 0, 0, 45, 2, -1, false, 140},
    };
    for (const Case& c : cases) {
        gl_destroy_context(context);
        context = gl_create_context();
        binding.context = context;
        gl_make_current(&binding);
        look_down_minus_z();
        gl_enable(GL_CAP_LIGHTING);
        gl_enable(GL_CAP_LIGHT0);
        const float at_eye[4] = {0, 0, 0, 1}, spot[3] = {0, 0, c.spot_z}, white[4] = {1, 1, 1, 1};
        gl_light(0x4000, 0x1203, at_eye);
        gl_light(0x4000, 0x1208, &c.linear);
        gl_light(0x4000, 0x1204, spot);
        gl_light(0x4000, 0x1206, &c.spot_cutoff);
        gl_light(0x4000, 0x1205, &c.spot_exponent);
        if (c.specular_material) gl_material(0x0404, 0x1202, white);
        if (c.shininess > 0) gl_material(0x0404, 0x1601, &c.shininess);
        gl_vertex_pointer(1, 1, c.vertex);
        gl_normal_pointer(1, 1, c.normal);
        gl_begin_scene();
        static const uint32_t none[3] = {0, 0, 0};
        gl_draw_arrays(0, none);
        EXPECT_EQ(context->lit[0][0], c.red) << c.name;
    }
}

TEST_F(LightingTest, SpotParametersAreCheckedBeforeStoring)
{
    const float cutoff120 = 120, cutoff90 = 90, cutoff180 = 180, exponent = 8;
    gl_light(0x4001, 0x1206, &cutoff90);
    EXPECT_EQ(context->lights[1].spot_cutoff, 90);
    gl_light(0x4001, 0x1206, &cutoff120);
    EXPECT_EQ(context->lights[1].spot_cutoff, 90);
    gl_light(0x4001, 0x1206, &cutoff180);
    EXPECT_EQ(context->lights[1].spot_cutoff, 180);

    gl_light(0x4001, 0x1205, &exponent);
    EXPECT_FLOAT_EQ(context->lights[1].spot_table[511][0], 1.0f);
    context->lights[1].spot_table[511][0] = 42; // a rebuild would put 1.0 back
    gl_light(0x4001, 0x1205, &exponent);
    EXPECT_EQ(context->lights[1].spot_table[511][0], 42);

    const float negative = -1;
    gl_light(0x4001, 0x1207, &negative);
    EXPECT_EQ(context->lights[1].constant_attenuation, 1);
}

TEST_F(LightingTest, MaterialFacesAndShininess)
{
    const float red[4] = {1, 0, 0, 1};
    gl_material(0x0404, 0x1201, red); // front diffuse only
    EXPECT_EQ(context->materials[0].diffuse[1], 0);
    EXPECT_FLOAT_EQ(context->materials[1].diffuse[1], 0.8f);
    gl_material(0x0408, 0x1200, red); // any other face: both
    EXPECT_EQ(context->materials[1].ambient[0], 1);
    const float shiny = 500;
    gl_material(0x0405, 0x1601, &shiny);
    EXPECT_EQ(context->materials[1].shininess, 128);
    EXPECT_EQ(context->materials[1].shine_table[5], -1);
    EXPECT_EQ(context->materials[0].shininess, 0);
}

} // namespace
