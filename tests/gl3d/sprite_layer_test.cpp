// Hardware fonts, sprite sets and the sprite queue against the recording
// device: glyph and frame quads where the picture shows them.
#include "gl_fixture.h"
#include "picture_files.h"

#include "../platform/exit_trap.h"
#include "gl3d/hw_camera.h"
#include "gl3d/hw_fonts.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"
#include "gl3d/timer_pool.h"
#include "lib/font_write.h"

#include <algorithm>
#include <cmath>

namespace {

// Pixel rectangle of a drawn quad.
struct Box {
    float left, top, right, bottom;
};

class SpriteLayerTest : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        reset_render_state_cache();
        reset_hw_camera();
        init_hw_lens();
        set_viewport(0, 0, 640, 480);
        reset_texture_cache();
        tex_destroy_all();
        reset_hw_fonts();
        reset_sprite_sets();
        reset_timer_pool();
        init_sprite_engine();
        sprite_hardware_switch = 1;
        set_sprite_option(1);
    }
    void TearDown() override
    {
        reset_hw_fonts();
        reset_sprite_sets();
        reset_texture_cache();
        tex_destroy_all();
        reset_timer_pool();
        reset_sprite_queues();
        sprite_hardware_switch = 0;
        GlFixture::TearDown();
    }

    // A font of glyphs 'a' .. 'd', each w x h with advance adv, on one page.
    void write_font(const char* name, uint32_t pages = 1, uint8_t page_of_d = 0)
    {
        KitHwFont f;
        f.page_count = pages, f.line_height = 12, f.space_width = 5, f.first = 'a';
        for (int i = 0; i < 4; ++i) {
            KitHwGlyph g;
            g.u_left = 0.25f * i, g.u_right = 0.25f * i + 0.25f, g.v_top = 0, g.v_bottom = 1;
            g.width = 6, g.height = 8, g.advance = static_cast<uint8_t>(7 + i), g.x_offset = 1, g.y_offset = 2;
            g.page = i == 3 ? page_of_d : 0;
            f.glyphs.push_back(g);
        }
        files.write(name, kit_lkf(f));
        std::string stem = std::string(name).substr(0, std::string(name).rfind('.'));
        for (uint32_t p = 0; p < pages; ++p) files.write(stem + "_" + std::to_string(p) + ".tga", kit_tga(kit_picture(8, 8, 0xFFFFFFFF)));
    }

    // The pixel boxes of every quad drawn since the last forget.
    std::vector<Box> drawn_boxes() const
    {
        std::vector<Box> boxes;
        for (const RecordedCall& c : device.of_kind(RecordedCall::DRAW)) {
            for (size_t t = 0; t + 6 <= c.vertices.size(); t += 6) {
                Box b{1e9f, 1e9f, -1e9f, -1e9f};
                for (size_t k = t; k < t + 6; ++k) {
                    b.left = std::min(b.left, c.vertices[k].x), b.right = std::max(b.right, c.vertices[k].x);
                    b.top = std::min(b.top, c.vertices[k].y), b.bottom = std::max(b.bottom, c.vertices[k].y);
                }
                boxes.push_back(b);
            }
        }
        return boxes;
    }

    PictureFiles files;
};

} // namespace
