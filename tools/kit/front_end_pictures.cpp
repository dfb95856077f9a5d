// The front end's pictures, drawn here: the menu backgrounds, the message
// box backdrop, the loading picture and the demo splash (640 x 480 or small
// pictures, each as ".tga" and its ".lkz" twin), and the three sprite sets
// of the demo road and the line-up markers, laid out by the frame manifest
// the screens read; the flag palette and the software loading picture.
#include "club_colours.h"
#include "frontend/frame_manifest.h"
#include "lib/font_write.h"
#include "lib/iff_write.h"
#include "lib/image_write.h"
#include "lib/kit.h"
#include "lib/lzss_write.h"

#include <cmath>
#include <functional>
#include <string>

namespace {

using Painter = std::function<uint32_t(uint32_t x, uint32_t y, uint32_t w, uint32_t h)>;

uint32_t argb(uint32_t a, double r, double g, double b)
{
    auto c = [](double v) { return static_cast<uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    return a << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

uint32_t scaled(uint32_t colour, double f)
{
    return argb(colour >> 24, ((colour >> 16) & 255) * f, ((colour >> 8) & 255) * f, (colour & 255) * f);
}

std::string stem_of(const std::string& name) { return name.substr(0, name.rfind('.')); }

bool write_picture(const KitContext& ctx, const std::string& name, const KitPicture& p, std::string& error)
{
    return kit_write_file(ctx, name.c_str(), kit_tga(p), error) &&
           kit_write_file(ctx, (stem_of(name) + ".lkz").c_str(), kit_lkz_image(p.width, p.height, p.pixels), error);
}

KitPicture paint(uint32_t w, uint32_t h, const Painter& f)
{
    KitPicture p = kit_picture(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) p.at(x, y) = f(x, y, w, h);
    return p;
}

// The software path's twin of a picture: an 8-bit IFF picture whose colours
// all lie in the palette's lower half (4 levels of red and blue, 8 of green),
// since a screen's closing transition moves the next picture's colours into
// the upper half. The upper half is a grey ramp.
std::vector<uint8_t> software_palette()
{
    std::vector<uint8_t> palette(768);
    for (uint32_t i = 0; i < 128; ++i) {
        palette[3 * i] = static_cast<uint8_t>(((i >> 5) & 3) * 255 / 3);
        palette[3 * i + 1] = static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7);
        palette[3 * i + 2] = static_cast<uint8_t>((i & 3) * 255 / 3);
    }
    for (uint32_t i = 128; i < 256; ++i) palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = static_cast<uint8_t>((i - 128) * 2);
    return palette;
}

bool write_software_picture(const KitContext& ctx, const std::string& name, const KitPicture& p, std::string& error)
{
    std::vector<uint8_t> pixels(size_t(p.width) * p.height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t c = p.pixels[i];
        const uint32_t r = (((c >> 16) & 255) * 3 + 127) / 255, g = (((c >> 8) & 255) * 7 + 127) / 255,
                       b = ((c & 255) * 3 + 127) / 255;
        pixels[i] = static_cast<uint8_t>(r << 5 | g << 2 | b);
    }
    return kit_write_file(ctx, name.c_str(), kit_ilbm(p.width, p.height, 8, software_palette(), pixels), error);
}

// A ground seen from above: a gradient sky of the screen's colours, an oval
// of grass with its centre square and a band across the top for the title.
struct Scheme {
    double top[3], bottom[3];
};
KitPicture menu_background(const Scheme& s)
{
    return paint(640, 480, [&](uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
        const double t = double(y) / h;
        double r = s.top[0] + (s.bottom[0] - s.top[0]) * t, g = s.top[1] + (s.bottom[1] - s.top[1]) * t,
               b = s.top[2] + (s.bottom[2] - s.top[2]) * t;
        const double dx = (x + 0.5 - w / 2.0) / 260.0, dy = (y + 0.5 - h / 2.0 - 20) / 170.0;
        const double d = dx * dx + dy * dy;
        if (d < 1.0) {
            const double stripe = (x / 24) % 2 ? 1.0 : 0.9;
            r = r * 0.5 + 20 * stripe, g = g * 0.5 + 70 * stripe, b = b * 0.5 + 25 * stripe;
        }
        if (std::fabs(d - 1.0) < 0.02) r = g = b = 220;
        if (std::fabs(x + 0.5 - w / 2.0) < 25 && std::fabs(y + 0.5 - h / 2.0 - 20) < 25 &&
            (std::fabs(x + 0.5 - w / 2.0) > 23 || std::fabs(y + 0.5 - h / 2.0 - 20) > 23))
            r = g = b = 220;
        if (y < 60) r *= 0.6, g *= 0.6, b *= 0.6;
        if (y == 60 || y == 61) r = 230, g = 200, b = 60;
        return argb(255, r, g, b);
    });
}

bool build_backgrounds(const KitContext& ctx, std::string& error)
{
    const std::string hw = "front_en\\front_end_gfx\\menu_screens\\hw\\";
    const struct {
        const char* name;
        Scheme scheme;
    } screens[] = {
        {"controller_setup.tga", {{20, 40, 110}, {10, 15, 50}}},
        {"key config.tga", {{90, 40, 110}, {30, 10, 50}}},
        {"joystick config.tga", {{110, 60, 20}, {50, 25, 10}}},
        {"results.tga", {{20, 100, 90}, {10, 40, 40}}},
        {"demosplash.tga", {{120, 20, 30}, {30, 5, 10}}},
        {"hints2.tga", {{30, 70, 60}, {10, 30, 25}}},
        {"sound configuration.tga", {{70, 30, 90}, {25, 10, 40}}},
        {"match settings.tga", {{30, 50, 100}, {10, 20, 45}}},
        {"configuration.tga", {{60, 60, 70}, {20, 20, 30}}},
        {"game_type.tga", {{90, 70, 20}, {40, 30, 10}}},
        {"game settings2.tga", {{40, 80, 90}, {15, 30, 35}}},
        {"welcome.tga", {{20, 60, 40}, {5, 25, 15}}},
        {"last orders.tga", {{80, 30, 30}, {30, 10, 10}}},
        {"Tallowmere.tga", {{100, 30, 20}, {25, 10, 40}}},
        // The team screens.
        {"team formation.tga", {{20, 80, 40}, {5, 30, 15}}},
        {"training team selection.tga", {{30, 60, 100}, {10, 20, 40}}},
        {"pre season team select.tga", {{100, 60, 30}, {40, 20, 10}}},
        {"Final8.tga", {{110, 30, 60}, {40, 10, 25}}},
        {"Win_pre_season.tga", {{110, 90, 20}, {40, 30, 5}}},
        {"Win_premiership.tga", {{150, 120, 30}, {60, 40, 5}}},
        // The competition's screens and the break menus.
        {"round results.tga", {{30, 90, 60}, {10, 35, 25}}},
        {"ladder.tga", {{80, 30, 40}, {30, 10, 15}}},
        {"fixtures.tga", {{40, 40, 100}, {15, 15, 40}}},
        {"finals.tga", {{100, 80, 20}, {40, 30, 5}}},
        {"statistics.tga", {{20, 60, 110}, {5, 20, 45}}},
        {"In game menu.tga", {{50, 50, 50}, {15, 15, 20}}},
        {"In game menu with difficulty setting.tga", {{60, 40, 40}, {20, 10, 15}}},
        // The file browser's, by what it is doing, and the team screens'.
        {"load files.tga", {{30, 60, 80}, {10, 20, 30}}},
        {"save replay.tga", {{70, 50, 100}, {25, 15, 40}}},
        {"save game.tga", {{40, 90, 50}, {15, 35, 15}}},
        {"file management.tga", {{100, 50, 40}, {40, 15, 10}}},
        {"install.tga", {{50, 50, 90}, {15, 15, 35}}},
        {"team formation.tga", {{30, 80, 40}, {10, 30, 15}}},
        {"formation2.tga", {{40, 70, 50}, {15, 25, 20}}},
    };
    const std::string sw = "front_en\\front_end_gfx\\menu_screens\\sw\\";
    for (const auto& s : screens) {
        const KitPicture picture = menu_background(s.scheme);
        if (!write_picture(ctx, hw + s.name, picture, error) ||
            !write_software_picture(ctx, sw + stem_of(s.name) + ".lbm", picture, error))
            return false;
    }
    // Screens only the software path shows a picture of here.
    const struct {
        const char* name;
        Scheme scheme;
    } software_only[] = {
        {"front_en\\front_end_gfx\\menu_screens\\sw\\club.lbm", {{70, 90, 30}, {25, 35, 10}}},
        {"front_en\\front_end_gfx\\menu_screens\\sw\\team formation.lbm", {{30, 90, 40}, {10, 35, 15}}},
        {"front_en\\front_end_gfx\\menu screens\\wim_back6.lbm", {{40, 40, 80}, {10, 10, 30}}},
    };
    for (const auto& s : software_only)
        if (!write_software_picture(ctx, s.name, menu_background(s.scheme), error)) return false;
    // The box backdrop: a dark blue tint with a lighter rim.
    KitPicture tint = paint(64, 64, [](uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
        const bool rim = x < 2 || y < 2 || x + 2 >= w || y + 2 >= h;
        return rim ? argb(255, 120, 150, 220) : argb(200, 10, 20, 60);
    });
    if (!write_picture(ctx, hw + "TintBox.tga", tint, error)) return false;
    // The plain backdrop of the option screens.
    if (!write_picture(ctx, hw + "black.tga", paint(640, 480, [](uint32_t, uint32_t, uint32_t, uint32_t) { return argb(255, 0, 0, 0); }), error))
        return false;
    // The loading picture: the ground under a night sky, lights at its corners.
    KitPicture loading = menu_background({{5, 5, 30}, {5, 20, 15}});
    for (int corner = 0; corner < 4; ++corner) {
        const int cx = corner % 2 ? 560 : 80, cy = corner / 2 ? 420 : 110;
        for (int y = -10; y <= 10; ++y)
            for (int x = -10; x <= 10; ++x)
                if (x * x + y * y <= 100) loading.at(uint32_t(cx + x), uint32_t(cy + y)) = argb(255, 255, 250, 200);
    }
    return write_picture(ctx, "game_gfx\\hardware\\KOB Loading Screen.tga", loading, error);
}

// --- Sprite sets ---

struct Frame {
    uint32_t width, height;
    int16_t x_offset, y_offset;
    Painter pixel;
};

bool write_set(const KitContext& ctx, const std::string& name, const std::vector<Frame>& frames, std::string& error)
{
    const uint32_t page_size = 256;
    KitPicture page = kit_picture(page_size, page_size, 0);
    std::vector<KitSpriteFrame> records;
    std::vector<uint32_t> offsets;
    KitSpritePacker packer{page_size, 1};
    for (const Frame& f : frames) {
        KitSpriteFrame r;
        uint32_t x = 0, y = 0;
        if (!packer.place(f.width, f.height, x, y, r)) {
            error = name + ": frames overflow the page";
            return false;
        }
        for (uint32_t py = 0; py < f.height; ++py)
            for (uint32_t px = 0; px < f.width; ++px) page.at(x + px, y + py) = f.pixel(px, py, f.width, f.height);
        r.x_offset = f.x_offset, r.y_offset = f.y_offset;
        offsets.push_back(static_cast<uint32_t>(records.size()) * 25);
        records.push_back(r);
    }
    const std::string base = stem_of(name);
    return kit_write_file(ctx, name.c_str(), kit_sph(records), error) &&
           kit_write_file(ctx, (base + ".DWH").c_str(), kit_sprite_companion(offsets), error) &&
           write_picture(ctx, base + "_000.tga", page, error);
}

double disc(uint32_t x, uint32_t y, uint32_t w, uint32_t h)
{
    const double dx = (x + 0.5 - w / 2.0) / (w / 2.0), dy = (y + 0.5 - h / 2.0) / (h / 2.0);
    return dx * dx + dy * dy;
}

// A round button with a sign in it; brightness by state.
Frame button(double brightness, uint32_t colour, int sign)
{
    return {36, 36, 18, 18, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                const double d = disc(x, y, w, h);
                if (d > 1.0) return 0;
                const int cx = int(x) - 18, cy = int(y) - 18;
                bool mark = false;
                switch (sign) {
                case 0: mark = cx > -7 && cx < 9 && std::abs(cy) <= (9 - cx) / 2 && cx < 9; break; // play
                case 1: mark = cx < 7 && cx > -9 && std::abs(cy) <= (cx + 9) / 2; break;          // back
                case 2: mark = (cy == cx / 2 + 4 || cy == cx / 2 + 5) ? cx > -2 && cx < 9 : (cy == -cx + 2 || cy == -cx + 3) && cx > -8 && cx <= 0; break; // tick
                case 3: mark = (std::abs(cx - cy) < 2 || std::abs(cx + cy) < 2) && std::abs(cx) < 8; break; // cross
                }
                if (mark) return argb(255, 255 * brightness, 255 * brightness, 255 * brightness);
                return d > 0.8 ? argb(255, 230, 200, 60) : scaled(colour, brightness);
            }};
}

Frame arrow(int direction, uint32_t colour);

// A slider's track: a sunken groove with a gold rim.
Frame track(uint32_t w, uint32_t h)
{
    return {w, h, int16_t(w / 2), int16_t(h / 2), [](uint32_t x, uint32_t y, uint32_t fw, uint32_t fh) -> uint32_t {
                const bool rim = x == 0 || y == 0 || x + 1 == fw || y + 1 == fh;
                return rim ? argb(255, 230, 200, 60) : argb(255, 20, 30, 60);
            }};
}

std::vector<Frame> common_frames()
{
    std::vector<Frame> f;
    f.push_back({16, 20, 0, 0, [](uint32_t x, uint32_t y, uint32_t, uint32_t) -> uint32_t {
                     if (x > y || y > 16 || x > 11) return 0;
                     return (x == 0 || x == y || y == 16) ? argb(255, 0, 0, 0) : argb(255, 255, 255, 255);
                 }});
    const double by_state[5] = {0.6, 0.3, 1.0, 0.85, 0.9}; // normal, inactive, focused, clicked, held
    for (int s = 0; s < 5; ++s) f.push_back(button(by_state[s], 0xFF20A040, 0));
    for (int s = 0; s < 5; ++s) f.push_back(button(by_state[s], 0xFFA03020, 1));
    // OK and No run backwards: frame base + 4 - state.
    for (int s = 4; s >= 0; --s) f.push_back(button(by_state[s], 0xFF20A040, 2));
    for (int s = 4; s >= 0; --s) f.push_back(button(by_state[s], 0xFFA03020, 3));
    f.push_back({128, 4, 64, 2, [](uint32_t, uint32_t, uint32_t, uint32_t) { return argb(255, 230, 200, 60); }});
    f.push_back(track(100, 12));
    f.push_back(track(12, 100));
    f.push_back({14, 14, 7, 7, [](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                     const double d = disc(x, y, w, h);
                     return d > 1.0 ? 0 : (d > 0.6 ? argb(255, 230, 200, 60) : argb(255, 240, 240, 240));
                 }});
    const uint32_t gold = argb(255, 230, 200, 60);
    for (int direction : {0, 1, 2, 3}) f.push_back(arrow(direction, gold));
    return f;
}

Frame controller(int kind, bool assigned)
{
    const uint32_t body = assigned ? argb(255, 230, 190, 50) : argb(255, 170, 180, 200);
    return {48, 40, 24, 20, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                const int cx = int(x) - 24, cy = int(y) - 20;
                switch (kind) {
                case 0: // stick: a base and a shaft with a knob
                    if (cy > 8 && cy < 16 && std::abs(cx) < 18) return body;
                    if (std::abs(cx) < 3 && cy > -10 && cy <= 8) return argb(255, 40, 40, 40);
                    if (cx * cx + (cy + 12) * (cy + 12) < 36) return argb(255, 200, 30, 30);
                    return 0;
                case 1: // pad: a body with buttons
                    if (std::abs(cy) > 10 || std::abs(cx) > 20) return 0;
                    if ((cx - 10) * (cx - 10) + cy * cy < 9 || (cx - 4) * (cx - 4) + (cy - 4) * (cy - 4) < 9)
                        return argb(255, 200, 30, 30);
                    if ((std::abs(cx + 11) < 2 && std::abs(cy) < 6) || (std::abs(cy) < 2 && std::abs(cx + 11) < 6))
                        return argb(255, 40, 40, 40);
                    return body;
                case 2: // multi-port box: four sockets
                    if (std::abs(cy) > 12 || std::abs(cx) > 22) return 0;
                    for (int p = 0; p < 4; ++p)
                        if (std::abs(cx - (-15 + 10 * p)) < 3 && std::abs(cy) < 4) return argb(255, 30, 30, 30);
                    return body;
                default: // keyboard: rows of keys
                    if (std::abs(cy) > 12 || std::abs(cx) > 22) return 0;
                    if ((x % 6) != 0 && (y % 6) != 2 && std::abs(cy) < 10 && std::abs(cx) < 20) return body;
                    return argb(255, 50, 50, 60);
                }
                (void)w, (void)h;
            }};
}

Frame arrow(int direction, uint32_t colour)
{
    return {24, 24, 12, 12, [=](uint32_t x, uint32_t y, uint32_t, uint32_t) -> uint32_t {
                int a = int(x) - 12, b = int(y) - 12; // along, across
                switch (direction) {
                case 0: a = -a; break;              // left
                case 2: std::swap(a, b), a = -a; break; // up
                case 3: std::swap(a, b); break;     // down
                default: break;                     // right
                }
                return a > -9 && a < 10 && std::abs(b) <= (10 - a) / 2 ? colour : 0;
            }};
}

std::vector<Frame> controller_frames()
{
    std::vector<Frame> f;
    for (int k = 0; k < 4; ++k) {
        f.push_back(controller(k, false));
        f.push_back(controller(k, true));
    }
    const uint32_t white = argb(255, 240, 240, 240), gold = argb(255, 230, 200, 60);
    f.push_back(arrow(0, white));
    f.push_back(arrow(1, white));
    f.push_back(arrow(2, gold));
    f.push_back(arrow(3, gold));
    f.push_back(arrow(0, gold));
    f.push_back(arrow(1, gold));
    return f;
}

// The clubs' badges: a shield in two colours of the club, split its own way.
std::vector<Frame> badge_frames()
{
    std::vector<Frame> f;
    for (int t = 0; t < 16; ++t) {
        const uint32_t a = kit_club_colours[t][0], b = kit_club_colours[t][1];
        const int split = t % 4;
        f.push_back({40, 48, 20, 24, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                         const int cx = int(x) - int(w) / 2;
                         const int edge = y < 30 ? 19 : 19 - int(y - 30);
                         if (std::abs(cx) > edge || y >= h) return 0;
                         if (std::abs(cx) >= edge - 1 || y == 0) return argb(255, 230, 200, 60);
                         bool second = false;
                         switch (split) {
                         case 0: second = cx > 0; break;
                         case 1: second = y > 20 && y < 30; break;
                         case 2: second = (x / 6) % 2; break;
                         default: second = cx + int(y) > 28; break;
                         }
                         return second ? b : a;
                     }});
    }
    return f;
}

// A club's faces: an oval face on the club's colour, its features shifted
// by the player's number so that no two of a club look alike.
bool build_portrait_sets(const KitContext& ctx, const std::string& root, std::string& error)
{
    for (uint32_t club = 0; club < 16; ++club) {
        std::vector<Frame> faces;
        const uint32_t shirt = argb(255, 40 + club * 12, 200 - club * 9, 90 + (club * 37) % 160);
        for (uint32_t n = 0; n < PORTRAIT_FRAME_COUNT; ++n) {
            const uint32_t skin = argb(255, 150 + (n * 13) % 90, 110 + (n * 7) % 70, 80 + (n * 5) % 50);
            faces.push_back({24, 28, 12, 14, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                                 if (y >= 22) return shirt;
                                 const double d = disc(x, y, w, h - 6);
                                 if (d > 1.0) return 0;
                                 const bool eye = y == 8 + n % 3 && (x == 8 || x == 15);
                                 return eye ? argb(255, 20, 20, 20) : skin;
                             }});
        }
        const std::string club_name = PORTRAIT_CLUBS[club];
        if (!write_set(ctx, root + "portraits\\" + club_name + "\\medium\\" + club_name + "_md.sph", faces, error))
            return false;
    }
    return true;
}

// The cups' bracket pictures (a ladder of lines, gold or silver) and the back
// of a bracket box.
std::vector<Frame> tournament_frames()
{
    std::vector<Frame> f;
    for (const uint32_t colour : {argb(255, 200, 200, 210), argb(255, 230, 200, 60)})
        f.push_back({96, 160, 48, 80, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                         const bool rung = y % 40 == 20 && x > 8 && x + 8 < w;
                         const bool rail = (x == 8 || x + 9 == w) && y > 20 && y + 20 < h;
                         return rung || rail ? colour : 0;
                     }});
    f.push_back({64, 24, 32, 12, [](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                     const bool rim = x == 0 || y == 0 || x + 1 == w || y + 1 == h;
                     return rim ? argb(255, 230, 200, 60) : argb(200, 20, 30, 70);
                 }});
    return f;
}

// The player editor's name plates: plain, then marked.
std::vector<Frame> editor_frames()
{
    std::vector<Frame> f;
    for (const bool marked : {false, true})
        f.push_back({180, 18, 0, 9, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                         if (x == 0 || y == 0 || x + 1 == w || y + 1 == h) return argb(255, 230, 200, 60);
                         return marked ? argb(230, 150, 110, 30) : argb(170, 20, 30, 70);
                     }});
    return f;
}

// The line-up screen's pictures, in the order of the frame manifest. Zones
// are drawn on a small oval by the default zone lines of the 390 x 258
// drawing; a look is plain, lit or greyed.
uint32_t greyed(uint32_t c)
{
    const double v = (((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255)) / 3.0 * 0.6;
    return argb(c >> 24, v, v, v);
}

uint32_t in_look(uint32_t c, int look) { return look == 1 ? scaled(c, 1.35) : look == 2 ? greyed(c) : c; }

// Where a point of a w x h box lies on the oval drawing (x -195..195,
// y -129..129), with a margin of `inset` pixels; false outside the oval.
bool on_oval(uint32_t x, uint32_t y, uint32_t w, uint32_t h, double inset, double& ox, double& oy)
{
    const double rx = (x + 0.5 - w / 2.0) / (w / 2.0 - inset), ry = (y + 0.5 - h / 2.0) / (h / 2.0 - inset);
    ox = rx * 195, oy = ry * 129;
    return rx * rx + ry * ry <= 1.0;
}

bool in_zone(int setting, double ox, double oy)
{
    switch (setting) {
    case 2: return oy <= -40;
    case 3: return oy >= 40;
    case 4: return ox <= -150;
    case 5: return ox <= -60;
    case 6: return ox >= 60;
    case 7: return ox >= 150;
    default: return true;
    }
}

// A setting's button: the first settings shade their zone of the oval; the
// second settings show one, two or three men.
Frame option_frame(int setting, int look)
{
    const uint32_t gold = argb(255, 230, 200, 60), back = argb(230, 20, 30, 70), grass = argb(255, 40, 110, 50);
    return {40, 15, 20, 7, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                if (x == 0 || y == 0 || x + 1 == w || y + 1 == h) return in_look(look == 1 ? argb(255, 255, 255, 255) : gold, look);
                if (setting <= 8) {
                    double ox = 0, oy = 0;
                    if (!on_oval(x, y, w, h, 2, ox, oy)) return in_look(back, look);
                    return in_look(in_zone(setting, ox, oy) ? gold : grass, look);
                }
                const int men = setting - 8, cy = int(h) / 2;
                for (int m = 0; m < men; ++m) {
                    const int cx = int(w) / 2 + (2 * m - (men - 1)) * 7;
                    if (std::abs(int(x) - cx) <= 2 && std::abs(int(y) - cy) <= 3) return in_look(argb(255, 240, 240, 240), look);
                }
                return in_look(back, look);
            }};
}

// The pop-up's choices (where a man plays, how he plays) and its cancel mark.
Frame choice_frame(int which, int look)
{
    const uint32_t gold = argb(255, 230, 200, 60), back = argb(230, 20, 30, 70);
    return {40, 15, 20, 7, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                if (x == 0 || y == 0 || x + 1 == w || y + 1 == h) return in_look(look == 1 ? argb(255, 255, 255, 255) : gold, look);
                const int cx = int(x) - int(w) / 2, cy = int(y) - int(h) / 2;
                bool mark = false;
                if (which == 0) {
                    double ox = 0, oy = 0;
                    const bool inside = on_oval(x, y, w, h, 2, ox, oy), edge = inside && !on_oval(x, y, w, h, 3.5, ox, oy);
                    mark = edge || (inside && std::abs(cx) <= 0);
                } else if (which == 1) {
                    mark = std::abs(cy) <= 1 && (std::abs(cx) <= 2 || std::abs(cx - 9) <= 2 || std::abs(cx + 9) <= 2);
                } else {
                    mark = std::abs(std::abs(cx) - std::abs(cy) * 2) <= 1 && std::abs(cy) <= 5;
                }
                if (!mark) return in_look(back, look);
                return in_look(which == 2 ? argb(255, 220, 60, 50) : argb(255, 240, 240, 240), look);
            }};
}

// The hint box: the oval with its six zone lines, the named one bright.
Frame hint_frame(int line)
{
    return {64, 40, 32, 20, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                if (x == 0 || y == 0 || x + 1 == w || y + 1 == h) return argb(255, 230, 200, 60);
                double ox = 0, oy = 0;
                if (!on_oval(x, y, w, h, 3, ox, oy)) return argb(220, 20, 30, 70);
                const double lines[6] = {-150, -60, 60, 150, -40, 40};
                const double px = 390.0 / (w - 6), py = 258.0 / (h - 6);
                for (int l = 0; l < 6; ++l) {
                    const double d = l < 4 ? std::abs(ox - lines[l]) / px : std::abs(oy - lines[l]) / py;
                    if (d < (l == line ? 1.0 : 0.5)) return l == line ? argb(255, 255, 255, 255) : argb(255, 120, 160, 120);
                }
                return argb(255, 40, 110, 50);
            }};
}

std::vector<Frame> formation_frames()
{
    std::vector<Frame> f;
    for (int line = 0; line < FORMATION_HINTS; ++line) f.push_back(hint_frame(line));
    for (int setting = 2; setting <= 11; ++setting)
        for (int look = 0; look < 3; ++look) f.push_back(option_frame(setting, look));
    for (int which = 0; which < 3; ++which)
        for (int look = 0; look < 3; ++look) f.push_back(choice_frame(which, look));
    // Zone-line markers: a diamond across the line, plain then lit.
    for (const bool vertical : {true, false})
        for (const int look : {0, 1}) {
            const uint32_t w = vertical ? 10 : 16, h = vertical ? 16 : 10;
            f.push_back({w, h, static_cast<int16_t>(w / 2), static_cast<int16_t>(h / 2),
                         [=](uint32_t x, uint32_t y, uint32_t fw, uint32_t fh) -> uint32_t {
                             const double dx = std::abs(x + 0.5 - fw / 2.0) / (fw / 2.0), dy = std::abs(y + 0.5 - fh / 2.0) / (fh / 2.0);
                             if (dx + dy > 1.0) return 0;
                             return look ? argb(255, 255, 255, 255) : argb(255, 230, 200, 60);
                         }});
        }
    // The swap marker: two arrows, one each way.
    f.push_back({16, 16, 8, 8, [](uint32_t x, uint32_t y, uint32_t, uint32_t) -> uint32_t {
                     const int upper = int(y) < 8 ? 1 : 0, row = upper ? int(y) : int(y) - 8, tip = upper ? int(x) : 15 - int(x);
                     const bool shaft = row >= 3 && row <= 4 && tip < 12;
                     const bool head = tip >= 10 && std::abs(row - 3.5) <= 15 - tip;
                     return shaft || head ? argb(255, 230, 200, 60) : 0;
                 }});
    // The rings round a portrait: the chosen man's gold, the pointed man's white.
    for (const uint32_t colour : {argb(255, 230, 200, 60), argb(255, 240, 240, 240)})
        f.push_back({32, 36, 16, 18, [=](uint32_t x, uint32_t y, uint32_t w, uint32_t h) -> uint32_t {
                         return x < 2 || y < 2 || x + 2 >= w || y + 2 >= h ? colour : 0;
                     }});
    return f;
}

bool build_front_end_sets(const KitContext& ctx, std::string& error)
{
    const std::string root = "front_en\\front_end_gfx\\animation_files\\";
    const std::vector<Frame> common = common_frames(), controllers = controller_frames(), badges = badge_frames();
    const std::vector<Frame> tournament = tournament_frames(), editor = editor_frames();
    if (editor.size() != EDITOR_FRAME_COUNT || common.size() != COMMON_FRAME_COUNT || controllers.size() != CONTROLLER_FRAME_COUNT ||
        badges.size() != BADGE_FRAME_COUNT || tournament.size() != TOURNAMENT_FRAME_COUNT) {
        error = "the front end's frames disagree with the manifest";
        return false;
    }
    const std::vector<Frame> formation = formation_frames();
    if (formation.size() != FORMATION_FRAME_COUNT) {
        error = "the line-up screen's frames disagree with the manifest";
        return false;
    }
    return write_set(ctx, root + "common\\common.sph", common, error) &&
           write_set(ctx, root + "controllers\\controllers.sph", controllers, error) &&
           write_set(ctx, root + "caric\\caric.sph", badges, error) &&
           write_set(ctx, root + "formation\\frmation.sph", formation, error) && build_portrait_sets(ctx, root, error) &&
           write_set(ctx, root + "tournament\\tournament.sph", tournament, error) &&
           write_set(ctx, root + "editor\\editor.sph", editor, error);
}

// The flag colours the engine's error box puts back (47 entries from 81),
// and the software path's loading picture: bands of the ground's greens
// under a dark sky.
bool build_front_end_palettes(const KitContext& ctx, std::string& error)
{
    std::vector<uint8_t> flag(47 * 3);
    for (uint32_t i = 0; i < 47; ++i) {
        flag[3 * i] = static_cast<uint8_t>(63 - i);
        flag[3 * i + 1] = static_cast<uint8_t>(i);
        flag[3 * i + 2] = static_cast<uint8_t>(20 + i / 2);
    }
    if (!kit_write_file(ctx, "front_en\\anim\\flag.pal", flag, error)) return false;
    // Each club's faces: skin ramps tinted a little toward the club.
    for (uint32_t club = 0; club < 16; ++club) {
        std::vector<uint8_t> faces(FACE_PALETTE_COLOURS * 3);
        for (uint32_t i = 0; i < FACE_PALETTE_COLOURS; ++i) {
            faces[3 * i] = static_cast<uint8_t>(20 + (i * 43) / FACE_PALETTE_COLOURS);
            faces[3 * i + 1] = static_cast<uint8_t>(12 + (i * 30) / FACE_PALETTE_COLOURS + club % 4);
            faces[3 * i + 2] = static_cast<uint8_t>(8 + (i * 22) / FACE_PALETTE_COLOURS + club / 4);
        }
        const std::string name = std::string("front_en\\front_end_gfx\\face palettes\\") + CLUB_CODES[club] + "_face.pal";
        if (!kit_write_file(ctx, name.c_str(), faces, error)) return false;
    }
    std::vector<uint8_t> palette(768);
    for (uint32_t i = 0; i < 256; ++i) {
        palette[3 * i] = static_cast<uint8_t>(i < 16 ? i * 4 : 10);
        palette[3 * i + 1] = static_cast<uint8_t>(i < 16 ? i * 4 : 60 + (i % 16) * 8);
        palette[3 * i + 2] = static_cast<uint8_t>(i < 16 ? 30 + i * 8 : 20);
    }
    std::vector<uint8_t> pixels(640 * 480);
    for (uint32_t y = 0; y < 480; ++y)
        for (uint32_t x = 0; x < 640; ++x) pixels[y * 640 + x] = static_cast<uint8_t>(y < 160 ? y / 10 : 16 + (x / 40) % 16);
    return kit_write_file(ctx, "front_en\\front_end_gfx\\loading screens\\KOB Loading Screen.LBM",
                          kit_ilbm(640, 480, 8, palette, pixels), error);
}

// The powerbars the toolkit's bar controls draw on the software path:
// 84 x 10, 8-bit, colour 0 transparent. Their indices are those of the
// software menu pictures' lower half (red in bits 5-6, green 2-4, blue 0-1),
// so the bars show in any menu's colours.
std::vector<uint8_t> powerbar_bmp(uint32_t r, uint32_t g, uint32_t b, bool frame_only)
{
    KitPicture p = kit_picture(84, 10, 0);
    std::vector<uint32_t> palette(128);
    for (uint32_t i = 0; i < 128; ++i)
        palette[i] = ((i >> 5) & 3) * 255 / 3 << 16 | ((i >> 2) & 7) * 255 / 7 << 8 | (i & 3) * 255 / 3;
    auto index = [](uint32_t rr, uint32_t gg, uint32_t bb) { return rr << 5 | gg << 2 | bb; };
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 84; ++x) {
            const bool rim = x == 0 || y == 0 || x == 83 || y == 9;
            if (frame_only && !rim) continue;
            // A lighter top half over the body colour, a dark rim.
            const uint32_t lift = y < 4 ? 1 : 0;
            p.at(x, y) = rim ? index(r / 2, g / 2, b / 2) : index(r, g + lift > 7 ? 7 : g + lift, b);
        }
    return kit_bmp(p, 8, palette);
}

bool build_powerbars(const KitContext& ctx, std::string& error)
{
    const std::string dir = "front_en\\front_end_gfx\\Powerbar_gfx\\";
    const struct {
        const char* name;
        uint32_t r, g, b;
        bool frame_only;
    } bars[] = {
        {"powerbar.bmp", 3, 6, 0, false},        {"pb_green.bmp", 0, 6, 0, false},
        {"pb_red.bmp", 3, 0, 0, false},          {"pb_install_filled.bmp", 0, 3, 3, false},
        {"pb_install_empty.bmp", 1, 2, 1, true},
    };
    for (const auto& b : bars)
        if (!kit_write_file(ctx, (dir + b.name).c_str(), powerbar_bmp(b.r, b.g, b.b, b.frame_only), error)) return false;
    return true;
}

} // namespace

KIT_STEP(front_end_pictures, 42, build_backgrounds)
KIT_STEP(front_end_sets, 43, build_front_end_sets)
KIT_STEP(front_end_palettes, 44, build_front_end_palettes)
KIT_STEP(front_end_powerbars, 45, build_powerbars)
