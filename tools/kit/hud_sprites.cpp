// The match's two HUD sprite sets, drawn here in plain shapes and the game's
// own bitmap typeface: the panel set (score panel, club banner, set-play
// options, kick-out rows, coin, toss choice, blink markers, club badges) and
// the replay set (the control panel, five states of each button, the clock
// digits, the highlight, the indicator and the pointer). The frame numbers
// are the ones the HUD and the replay screen draw. Pages are written with
// their compressed twins, which the game reads once start-up turns them on.
// The software display gets the same frames as 8-bit sprite banks in its
// palette.
#include "club_colours.h"
#include "display/hud_draw.h"
#include "display/replay_screen.h"
#include "matchscreen/match_screen.h"
#include "lib/font_write.h"
#include "lib/image_write.h"
#include "lib/kit.h"
#include "lib/lzss_write.h"
#include "lib/sw_write.h"
#include "sw_palette.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Sprite {
    KitPicture picture;
    int16_t x_offset = 0, y_offset = 0;
};

constexpr uint32_t GOLD = 0xFFE8C040, WHITE = 0xFFF0F0F0, INK = 0xFF101010, PLATE = 0xD0102040;
constexpr uint32_t DIM = 0xFF8090A0, LIT = 0xFFF0E040;

Sprite blank(uint32_t w, uint32_t h, int16_t xo = 0, int16_t yo = 0) { return {kit_picture(w, h, 0), xo, yo}; }

void fill(KitPicture& p, int x0, int y0, int w, int h, uint32_t c)
{
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (x >= 0 && y >= 0 && uint32_t(x) < p.width && uint32_t(y) < p.height) p.at(uint32_t(x), uint32_t(y)) = c;
}

// A plate with a border of the given width.
void plate(KitPicture& p, int x0, int y0, int w, int h, uint32_t inside, uint32_t edge, int border = 1)
{
    fill(p, x0, y0, w, h, edge);
    fill(p, x0 + border, y0 + border, w - 2 * border, h - 2 * border, inside);
}

void ellipse(KitPicture& p, double cx, double cy, double rx, double ry, uint32_t c)
{
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x) {
            const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) p.at(x, y) = c;
        }
}

// A triangle with its point at (tip, cy), its back edge at x = back.
void triangle(KitPicture& p, int back, int tip, int cy, int half, uint32_t c)
{
    const int len = std::abs(tip - back);
    for (int i = 0; i <= len; ++i) {
        const int x = back < tip ? back + i : back - i;
        const int reach = half * (len - i) / (len ? len : 1);
        fill(p, x, cy - reach, 1, 2 * reach + 1, c);
    }
}

// The upward form: its point at (cx, tip), its base at y = base.
void triangle_up(KitPicture& p, int cx, int tip, int base, int half, uint32_t c)
{
    const int len = base - tip;
    for (int i = 0; i <= len; ++i) fill(p, cx - half * i / (len ? len : 1), tip + i, 2 * (half * i / (len ? len : 1)) + 1, 1, c);
}

struct Typeface {
    std::vector<KitGlyphBitmap> glyphs;
    const KitGlyphBitmap* find(char ch) const
    {
        for (const KitGlyphBitmap& g : glyphs)
            if (g.code == static_cast<unsigned char>(ch)) return &g;
        return nullptr;
    }
    int width(const std::string& text, int scale) const
    {
        int w = 0;
        for (char ch : text) {
            const KitGlyphBitmap* g = find(ch);
            w += (g ? int(g->width) : 3) * scale + scale;
        }
        return w > 0 ? w - scale : 0;
    }
    void draw(KitPicture& p, const std::string& text, int x, int y, int scale, uint32_t c) const
    {
        for (char ch : text) {
            const KitGlyphBitmap* g = find(ch);
            if (g)
                for (uint32_t gy = 0; gy < g->height; ++gy)
                    for (uint32_t gx = 0; gx < g->width; ++gx)
                        if (g->ink[gy * g->width + gx]) fill(p, x + int(gx) * scale, y + int(gy) * scale, scale, scale, c);
            x += (g ? int(g->width) : 3) * scale + scale;
        }
    }
    // Centred in the picture, or on (cx, cy).
    void centred(KitPicture& p, const std::string& text, int cx, int cy, int scale, uint32_t c) const
    {
        draw(p, text, cx - width(text, scale) / 2, cy - 7 * scale / 2, scale, c);
    }
};

// --- The panel set ---

// A free number keeps its place with a small plain plate.
Sprite spare()
{
    Sprite s = blank(8, 8);
    plate(s.picture, 0, 0, 8, 8, PLATE, GOLD);
    return s;
}

// A set-play option on the ring: a disc with its number, drawn about its
// centre (the ring scales it with depth).
Sprite ring_option(const Typeface& type, int k)
{
    static const uint32_t tints[4] = {0xFF2060C0, 0xFFC03030, 0xFF209040, 0xFFB08020};
    Sprite s = blank(48, 48, 24, 24);
    ellipse(s.picture, 24, 24, 24, 24, GOLD);
    ellipse(s.picture, 24, 24, 21, 21, tints[k]);
    type.centred(s.picture, std::to_string(k + 1), 24, 24, 4, WHITE);
    return s;
}

Sprite diagram_marker()
{
    Sprite s = blank(13, 12, 6, 6);
    triangle_up(s.picture, 6, 0, 11, 6, INK);
    triangle_up(s.picture, 6, 2, 10, 4, WHITE);
    return s;
}

// A kick-out option: a plate in the team's tint with its number and an
// arrow the way the ball goes (the kicking team's up the screen). The
// selection frame's corners stand two pixels outside it.
Sprite kick_out_row(const Typeface& type, int k, bool kicking)
{
    Sprite s = blank(64, 46, -2, -2);
    plate(s.picture, 0, 0, 64, 46, kicking ? 0xE0804010 : 0xE0104080, kicking ? GOLD : 0xFF80C0F0, 2);
    type.centred(s.picture, std::to_string(k + 1), 20, 23, 3, WHITE);
    if (kicking) {
        triangle_up(s.picture, 46, 8, 20, 8, WHITE);
        fill(s.picture, 44, 20, 5, 16, WHITE);
    } else {
        fill(s.picture, 44, 10, 5, 16, WHITE);
        for (int i = 0; i <= 12; ++i) fill(s.picture, 46 - 8 * (12 - i) / 12, 26 + i, 2 * (8 * (12 - i) / 12) + 1, 1, WHITE);
    }
    // The option's spread: one dot per man it sends forward.
    for (int d = 0; d <= k % 4; ++d) fill(s.picture, 6 + 6 * d, 38, 4, 4, GOLD);
    return s;
}

Sprite row_corner()
{
    Sprite s = blank(9, 9);
    fill(s.picture, 0, 0, 9, 2, WHITE);
    fill(s.picture, 0, 0, 2, 9, WHITE);
    return s;
}

// Drawn at (80, y): it reaches back to the screen's left edge, where the
// clubs' abbreviations stand, and carries the two scores from x 90.
Sprite score_panel()
{
    Sprite s = blank(132, 48, 80, 0);
    plate(s.picture, 0, 0, 132, 48, PLATE, GOLD, 2);
    fill(s.picture, 2, 23, 128, 2, GOLD);
    fill(s.picture, 82, 2, 2, 44, GOLD);
    return s;
}

// One half of the club banner; the right half is the left one mirrored,
// and the two meet without an edge.
Sprite banner_half(bool right)
{
    Sprite s = blank(177, 62);
    KitPicture& p = s.picture;
    for (uint32_t y = 0; y < 62; ++y)
        for (uint32_t x = 0; x < 177; ++x) {
            const uint32_t from_end = right ? 176 - x : x;
            // The outer end is rounded.
            const double dy = (y + 0.5 - 31.0) / 31.0, dx = from_end < 31 ? (31.0 - from_end) / 31.0 : 0.0;
            const double d = dx * dx + dy * dy;
            if (d > 1.0) continue;
            const bool edge = d > 0.86 || y < 2 || y >= 60;
            p.at(x, y) = edge ? GOLD : PLATE;
        }
    fill(p, right ? 0 : 28, 36, right ? 150 : 149, 1, GOLD);
    return s;
}

// The coin turning: its width follows the turn; heads (a gold ring) shows
// for frames about 0, tails (a silver cross) about 5.
Sprite coin(int frame)
{
    const double turn = std::cos(frame * 3.14159265358979 / 5.0);
    const double rx = std::fmax(2.0, 19.0 * std::fabs(turn));
    Sprite s = blank(40, 40, 20, 20);
    const bool heads = turn >= 0;
    ellipse(s.picture, 20, 20, rx, 19, heads ? 0xFFA07820 : 0xFF707880);
    ellipse(s.picture, 20, 20, std::fmax(1.0, rx - 2.0), 17, heads ? GOLD : 0xFFC8D0D8);
    if (rx > 6) {
        if (heads) {
            ellipse(s.picture, 20, 20, rx * 0.55, 9, 0xFFA07820);
            ellipse(s.picture, 20, 20, std::fmax(1.0, rx * 0.55 - 2.0), 7, GOLD);
        } else {
            const int w = int(rx * 1.1);
            fill(s.picture, 20 - w / 2, 18, w, 4, 0xFF707880);
            fill(s.picture, 18, 8, 4, 24, 0xFF707880);
        }
    }
    return s;
}

// The toss winner's choice between kicking to start (a ball) and choosing
// the end (two posts); the lit one is the choice.
Sprite toss_choice(int lit)
{
    Sprite s = blank(112, 40);
    KitPicture& p = s.picture;
    plate(p, 0, 0, 112, 40, PLATE, GOLD, 2);
    for (int box = 0; box < 2; ++box) {
        const int x0 = 6 + box * 52;
        plate(p, x0, 5, 48, 30, box == lit ? 0xFF305080 : 0xFF182030, box == lit ? LIT : DIM, 2);
        const uint32_t c = box == lit ? WHITE : DIM;
        if (box == 0) {
            ellipse(p, x0 + 24, 20, 14, 9, c);
            fill(p, x0 + 16, 19, 16, 2, box == lit ? 0xFF305080 : 0xFF182030);
        } else {
            fill(p, x0 + 15, 10, 3, 21, c);
            fill(p, x0 + 30, 10, 3, 21, c);
        }
    }
    return s;
}

// The blink markers, drawn at twice their size: the choose button, and a
// ball.
Sprite blink_marker(const Typeface& type, bool button)
{
    Sprite s = blank(16, 16);
    ellipse(s.picture, 8, 8, 8, 8, INK);
    if (button) {
        ellipse(s.picture, 8, 8, 7, 7, 0xFF3070D0);
        type.centred(s.picture, "X", 8, 8, 1, WHITE);
    } else {
        ellipse(s.picture, 8, 8, 7, 5, 0xFFB02818);
        fill(s.picture, 4, 8, 8, 1, WHITE);
    }
    return s;
}

// A club's badge on the banner: a small shield in its two colours.
Sprite banner_badge(int club)
{
    const uint32_t a = kit_club_colours[club][0], b = kit_club_colours[club][1];
    Sprite s = blank(22, 22);
    for (uint32_t y = 0; y < 22; ++y)
        for (uint32_t x = 0; x < 22; ++x) {
            const int cx = int(x) * 2 - 21; // doubled, about the centre
            const int edge = y < 13 ? 21 : 21 - 2 * int(y - 13) * 21 / 9;
            if (std::abs(cx) > edge) continue;
            const bool rim = std::abs(cx) >= edge - 2 || y == 0;
            const bool second = club % 2 ? cx > 0 : (y > 7 && y < 13);
            s.picture.at(x, y) = rim ? GOLD : (second ? b : a);
        }
    return s;
}

// --- The match screen's own overlays, at the head of the panel set ---

// The radar: the ground at 1/256 in 192 x 128 pixels, its oval, centre
// square and goal squares in white on dark grass.
Sprite radar_background()
{
    Sprite s = blank(192, 128);
    KitPicture& p = s.picture;
    plate(p, 0, 0, 192, 128, 0xFF103818, 0xFFD0D8D0);
    for (uint32_t y = 0; y < 128; ++y)
        for (uint32_t x = 0; x < 192; ++x) {
            const double dx = (x + 0.5 - 96.0) / 90.0, dy = (y + 0.5 - 64.0) / 58.0, d = dx * dx + dy * dy;
            if (d <= 1.0 && d > 0.95) p.at(x, y) = WHITE;
        }
    for (const int x : {66, 125}) fill(p, x, 34, 1, 61, WHITE); // the centre square
    fill(p, 66, 34, 60, 1, WHITE), fill(p, 66, 94, 60, 1, WHITE);
    for (const int x : {10, 168}) plate(p, x, 56, 14, 16, 0x00000000, WHITE); // the goal squares
    return s;
}

// A dot on the radar, drawn about its centre.
Sprite radar_dot(uint32_t colour, int size)
{
    Sprite s = blank(uint32_t(size), uint32_t(size), int16_t(size / 2), int16_t(size / 2));
    ellipse(s.picture, size / 2.0, size / 2.0, size / 2.0, size / 2.0, INK);
    ellipse(s.picture, size / 2.0, size / 2.0, size / 2.0 - 1.0, size / 2.0 - 1.0, colour);
    return s;
}

// The bar at the bottom of the screen: a cap at 160 (and 320) and a half of
// 151 pixels from 169 (and 329); the resting pieces are placed at 202 (and
// 362) and reach back to the same place as the kick panel's halves.
Sprite bottom_cap()
{
    Sprite s = blank(9, 40);
    plate(s.picture, 0, 0, 9, 40, PLATE, GOLD, 2);
    return s;
}

Sprite bottom_half(bool kick, bool right)
{
    Sprite s = blank(151, 32, kick ? 0 : 33, 0);
    KitPicture& p = s.picture;
    plate(p, 0, 0, 151, 32, PLATE, GOLD, 2);
    if (kick) {
        // The strength bar's well runs from 231 to 471; the aim window
        // about 197 holds the two aim markers.
        if (right) plate(p, 0, 8, 143, 16, 0xFF081018, 0xFF506070);
        else plate(p, 62, 8, 89, 16, 0xFF081018, 0xFF506070), plate(p, 6, 6, 52, 20, 0xFF081018, 0xFF506070);
        if (!right) fill(p, 28, 8, 1, 16, LIT); // a straight kick
    }
    return s;
}

Sprite kick_marker(bool aim)
{
    if (aim) {
        Sprite s = blank(7, 20, 3, 0);
        triangle_up(s.picture, 3, 14, 19, 3, LIT);
        fill(s.picture, 3, 2, 1, 12, LIT);
        return s;
    }
    Sprite s = blank(4, 20, 2, 0);
    plate(s.picture, 0, 0, 4, 20, WHITE, INK);
    return s;
}

Sprite pause_plate(const Typeface& type)
{
    Sprite s = blank(120, 30, 60, 15);
    plate(s.picture, 0, 0, 120, 30, PLATE, GOLD, 2);
    type.centred(s.picture, "PAUSED", 60, 15, 2, WHITE);
    return s;
}

// The match screen draws these by their place in the set.
static_assert(RADAR_BACKGROUND == 0 && RADAR_DOT_BALL == 6 && FRAME_PIECE_LEFT == 7 && FRAME_CAP_LEFT == 9 &&
              KICK_PANEL_LEFT == 11 && KICK_AIM_MARKER == 13 && PAUSE_SPRITE == 15 && int32_t(PAUSE_SPRITE) < int32_t(PANEL_RING));

std::vector<Sprite> panel_frames(const Typeface& type)
{
    std::vector<Sprite> f;
    f.push_back(radar_background());
    f.push_back(radar_dot(0xFF3070E0, 5)); // the first team
    f.push_back(radar_dot(0xFFE03030, 5)); // the second team
    f.push_back(radar_dot(0xFFF0F0F0, 7)); // the ball holder
    f.push_back(radar_dot(0xFFE8D020, 5)); // an umpire
    f.push_back(radar_dot(0xFFF0A020, 7)); // the umpire with the ball
    f.push_back(radar_dot(0xFFC04818, 4)); // the ball
    f.push_back(bottom_half(false, false));
    f.push_back(bottom_half(false, true));
    f.push_back(bottom_cap());
    f.push_back(bottom_cap());
    f.push_back(bottom_half(true, false));
    f.push_back(bottom_half(true, true));
    f.push_back(kick_marker(true));
    f.push_back(kick_marker(false));
    f.push_back(pause_plate(type));
    while (f.size() < PANEL_RING) f.push_back(spare());
    for (int k = 0; k < 4; ++k) f.push_back(ring_option(type, k));
    f.push_back(diagram_marker());
    for (int k = 0; k < 8; ++k) f.push_back(kick_out_row(type, k, true));
    for (int k = 0; k < 8; ++k) f.push_back(kick_out_row(type, k, false));
    f.push_back(row_corner());
    f.push_back(score_panel());
    f.push_back(banner_half(false));
    f.push_back(banner_half(true));
    while (f.size() < PANEL_COINS) f.push_back(spare());
    for (int c = 0; c < 11; ++c) f.push_back(coin(c));
    f.push_back(toss_choice(1)); // choice value 2
    f.push_back(toss_choice(0)); // choice value 1
    f.push_back(blink_marker(type, true));
    f.push_back(blink_marker(type, false));
    for (int club = 0; club < 16; ++club) f.push_back(banner_badge(club));
    return f;
}

// --- The replay set ---

// Button sizes as the screen lays them out.
struct ButtonSize {
    int w, h;
};
ButtonSize button_size(int control)
{
    if (control == RC_LEAVE) return {24, 10};
    if (control <= RC_SLOW_BACKWARD) return {28, 10};
    return {24, 8};
}

// A control's sign, in the colour its state gives it.
void button_sign(KitPicture& p, const Typeface& type, int control, uint32_t c, int shift)
{
    const int cy = int(p.height) / 2 + shift, mid = int(p.width) / 2 + shift;
    const bool back = control >= RC_PLAY_BACKWARD && control <= RC_SLOW_BACKWARD;
    const int kind = back ? control - RC_PLAY_BACKWARD : control - RC_PLAY_FORWARD;
    auto arrow = [&](int x, int len, int half) {
        if (back) triangle(p, 2 * mid - x, 2 * mid - x - len, cy, half, c);
        else triangle(p, x, x + len, cy, half, c);
    };
    auto bar = [&](int x) { fill(p, back ? 2 * mid - x - 1 : x, cy - 3, 2, 7, c); };
    switch (control) {
    case RC_LEAVE: type.centred(p, "ESC", mid, cy, 1, c); return;
    case RC_IN_MARK: type.centred(p, "IN", mid, cy, 1, c); return;
    case RC_OUT_MARK: type.centred(p, "OUT", mid, cy, 1, c); return;
    case RC_CUT_BETWEEN: type.centred(p, "[X]", mid, cy, 1, c); return;
    case RC_CUT_OUTSIDE: type.centred(p, "X[]X", mid, cy, 1, c); return;
    case RC_CUT: type.centred(p, "CUT", mid, cy, 1, c); return;
    default: break;
    }
    switch (kind) {
    case 0: arrow(mid - 3, 6, 3); break;                        // play
    case 1: arrow(mid - 6, 5, 3), arrow(mid, 5, 3); break;      // fast
    case 2: arrow(mid - 4, 5, 3), bar(mid + 2); break;          // one frame
    default: arrow(mid - 2, 3, 2), fill(p, back ? mid - 5 : mid + 3, cy, 2, 1, c); break; // slow
    }
}

// States: 0 off, 1 lit, 2 under the mouse, 3 clicked, 4 held.
Sprite replay_button(const Typeface& type, int control, int state)
{
    const ButtonSize size = button_size(control);
    Sprite s = blank(uint32_t(size.w), uint32_t(size.h));
    static const uint32_t faces[5] = {0xFF1C2838, 0xFF30486C, 0xFF3C5878, 0xFF90A8C8, 0xFF101820};
    static const uint32_t edges[5] = {0xFF506070, LIT, WHITE, WHITE, 0xFF8090A0};
    static const uint32_t signs[5] = {DIM, LIT, WHITE, INK, 0xFFC0C8D0};
    plate(s.picture, 0, 0, size.w, size.h, faces[state], edges[state]);
    button_sign(s.picture, type, control, signs[state], state == 4 ? 1 : 0);
    return s;
}

Sprite replay_panel()
{
    Sprite s = blank(170, 56);
    KitPicture& p = s.picture;
    plate(p, 0, 0, 170, 56, PLATE, GOLD, 2);
    plate(p, 9, 8, 43, 16, 0xFF081018, 0xFF506070); // the clock's well
    fill(p, 30, 13, 2, 2, LIT);                     // its colon
    fill(p, 30, 18, 2, 2, LIT);
    fill(p, 62, 3, 1, 50, 0xFF506070);
    fill(p, 134, 3, 1, 50, 0xFF506070);
    return s;
}

// A clock digit in seven segments.
Sprite replay_digit(int d)
{
    static const uint8_t segments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    Sprite s = blank(8, 12);
    KitPicture& p = s.picture;
    const uint8_t on = segments[d];
    const struct {
        int x, y, w, h;
    } place[7] = {{1, 0, 6, 1}, {7, 1, 1, 5}, {7, 6, 1, 5}, {1, 11, 6, 1}, {0, 6, 1, 5}, {0, 1, 1, 5}, {1, 5, 6, 1}};
    for (int k = 0; k < 7; ++k)
        if (on & (1 << k)) fill(p, place[k].x, place[k].y, place[k].w, place[k].h, LIT);
    return s;
}

std::vector<Sprite> replay_frames(const Typeface& type)
{
    std::vector<Sprite> f;
    f.push_back(replay_panel());
    for (int c = 0; c < RC_PANEL; ++c)
        for (int state = 0; state < RS_BUTTON_STATES; ++state) f.push_back(replay_button(type, c, state));
    for (int d = 0; d < 10; ++d) f.push_back(replay_digit(d));
    // The highlight stands just left of the chosen button.
    Sprite highlight = blank(4, 10);
    triangle(highlight.picture, 0, 3, 5, 4, LIT);
    f.push_back(highlight);
    Sprite indicator = blank(56, 14);
    plate(indicator.picture, 0, 0, 56, 14, PLATE, GOLD);
    ellipse(indicator.picture, 8, 7, 4, 4, 0xFFE02020);
    type.draw(indicator.picture, "REPLAY", 15, 4, 1, WHITE);
    f.push_back(indicator);
    Sprite pointer = blank(11, 16);
    for (int y = 0; y < 16; ++y) {
        const int w = y < 11 ? y + 1 : 11 - (y - 11) * 2;
        if (w > 0) fill(pointer.picture, 0, y, w, 1, INK);
        if (y > 1 && y < 13 && w > 2) fill(pointer.picture, 1, y, std::min(w - 2, y - 1), 1, WHITE);
    }
    f.push_back(pointer);
    return f;
}

// --- Writing a set ---

std::string stem_of(const std::string& name) { return name.substr(0, name.rfind('.')); }

// Frames packed in rows onto 512-pixel pages, a new page when one is full.
bool write_hud_set(const KitContext& ctx, const std::string& name, const std::vector<Sprite>& sprites, std::string& error)
{
    constexpr uint32_t PAGE = 512;
    std::vector<KitPicture> pages(1, kit_picture(PAGE, PAGE, 0));
    std::vector<KitSpriteFrame> frames;
    std::vector<uint32_t> offsets;
    KitSpritePacker packer{PAGE, 256};
    for (const Sprite& s : sprites) {
        const KitPicture& p = s.picture;
        KitSpriteFrame f;
        uint32_t x = 0, y = 0;
        if (!packer.place(p.width, p.height, x, y, f)) {
            error = name + ": a frame does not fit on a page";
            return false;
        }
        if (pages.size() < packer.pages) pages.push_back(kit_picture(PAGE, PAGE, 0));
        KitPicture& page = pages.back();
        for (uint32_t py = 0; py < p.height; ++py)
            for (uint32_t px = 0; px < p.width; ++px) page.at(x + px, y + py) = p.at(px, py);
        f.x_offset = s.x_offset, f.y_offset = s.y_offset;
        offsets.push_back(static_cast<uint32_t>(frames.size()) * 25);
        frames.push_back(f);
    }
    const std::string base = stem_of(name);
    if (!kit_write_file(ctx, name.c_str(), kit_sph(frames), error) ||
        !kit_write_file(ctx, (base + ".DWH").c_str(), kit_sprite_companion(offsets), error))
        return false;
    for (size_t n = 0; n < pages.size(); ++n) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, "_%03zu", n);
        const KitPicture& page = pages[n];
        if (!kit_write_file(ctx, (base + suffix + ".tga").c_str(), kit_tga(page), error) ||
            !kit_write_file(ctx, (base + suffix + ".lkz").c_str(), kit_lkz_image(page.width, page.height, page.pixels), error))
            return false;
    }
    return true;
}

// The software palette's entry nearest a colour, among those no weather
// changes; 0 (transparent) where the picture is mostly clear.
class PaletteMatch {
public:
    PaletteMatch() : palette_(kit_sw_palette(0)) {}
    uint8_t operator()(uint32_t argb)
    {
        if ((argb >> 24) < 0x80) return 0;
        const uint32_t rgb = argb & 0xFFFFFF;
        for (const auto& [colour, index] : seen_)
            if (colour == rgb) return index;
        const int r = int(rgb >> 16 & 255), g = int(rgb >> 8 & 255), b = int(rgb & 255);
        int best = 1;
        long best_distance = -1;
        for (int i = 1; i < 256; ++i) {
            if (!kit_sw_fixed_colour(i)) continue;
            const int dr = r - palette_[size_t(i) * 3], dg = g - palette_[size_t(i) * 3 + 1], db = b - palette_[size_t(i) * 3 + 2];
            const long d = 3L * dr * dr + 4L * dg * dg + 2L * db * db;
            if (best_distance < 0 || d < best_distance) best = i, best_distance = d;
        }
        seen_.push_back({rgb, uint8_t(best)});
        return uint8_t(best);
    }

private:
    std::vector<uint8_t> palette_;
    std::vector<std::pair<uint32_t, uint8_t>> seen_;
};

// The software bank: the frames one after another as group sprites, and the
// companion of their offsets (the loader asks for "DWD" in place of the
// name's last three characters).
bool write_hud_bank(const KitContext& ctx, const std::string& name, const std::vector<Sprite>& sprites,
                    std::string& error)
{
    PaletteMatch match;
    std::vector<uint8_t> bank;
    std::vector<uint32_t> offsets;
    for (const Sprite& s : sprites) {
        const KitPicture& p = s.picture;
        std::vector<uint8_t> pixels(p.pixels.size());
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = match(p.pixels[i]);
        offsets.push_back(uint32_t(bank.size()));
        const std::vector<uint8_t> sprite = kit_group_sprite(p.width, p.height, s.x_offset, s.y_offset, pixels);
        bank.insert(bank.end(), sprite.begin(), sprite.end());
    }
    return kit_write_file(ctx, name.c_str(), bank, error) &&
           kit_write_file(ctx, (name.substr(0, name.size() - 3) + "DWD").c_str(), kit_sprite_companion(offsets), error);
}

bool build_hud_sprites(const KitContext& ctx, std::string& error)
{
    Typeface type;
    std::string source;
    if (!kit_read_source(ctx, "fonts/glyphs.txt", source, error) || !kit_parse_glyphs(source, type.glyphs, error)) return false;
    const std::vector<Sprite> panels = panel_frames(type), replay = replay_frames(type);
    return write_hud_set(ctx, "game_gfx\\hardware\\panels.sph", panels, error) &&
           write_hud_set(ctx, "game_gfx\\hardware\\replaysp.sph", replay, error) &&
           write_hud_bank(ctx, "game_gfx\\software\\panels.spr", panels, error) &&
           write_hud_bank(ctx, "game_gfx\\software\\replaysp.spr", replay, error);
}

} // namespace

KIT_STEP(hud_sprites, 41, build_hud_sprites)
