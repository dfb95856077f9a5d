// The intro movie: a few seconds of our own animation (a ball arcing over a
// floodlit oval under a sweeping light) with a synthesized swell and a kick.
#include "lib/kit.h"
#include "lib/mad_write.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t W = 320, H = 240;
constexpr uint32_t FPS = 15, RATE = 22050;
constexpr int FRAMES = 45;

uint8_t byte(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); }

KitMoviePicture frame(int n)
{
    double t = static_cast<double>(n) / FRAMES;
    std::vector<uint8_t> rgb(static_cast<size_t>(W) * H * 3);
    double ballx = 40 + 240 * t, bally = 190 - 150 * std::sin(t * M_PI);
    double sweep = -80 + 480 * t;
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
            double r, g, b;
            double ox = (x - W / 2.0) / 150, oy = (y - 170.0) / 60;
            if (ox * ox + oy * oy < 1) { // the oval, striped by the mower
                double stripe = (static_cast<int>((x + 400) / 20) & 1) ? 1.0 : 0.85;
                r = 30 * stripe, g = 130 * stripe, b = 40 * stripe;
            } else if (y > 120) {
                r = 70, g = 60, b = 80; // the stands
            } else {
                double sky = y / 120.0;
                r = 20 + 40 * sky, g = 30 + 50 * sky, b = 90 + 80 * sky;
            }
            double light = std::exp(-std::pow((x - sweep) / 40.0, 2)) * 0.5;
            r += 255 * light, g += 240 * light, b += 200 * light;
            double dx = x - ballx, dy = (y - bally) * 1.4;
            if (dx * dx + dy * dy < 81) r = 200, g = 60, b = 30; // the ball
            uint8_t* p = &rgb[(static_cast<size_t>(y) * W + x) * 3];
            p[0] = byte(r), p[1] = byte(g), p[2] = byte(b);
        }
    return kit_movie_picture_rgb(W, H, rgb);
}

std::vector<int16_t> sound()
{
    size_t n = RATE * FRAMES / FPS;
    std::vector<int16_t> out(n);
    const double notes[] = {220.0, 277.18, 329.63, 440.0};
    for (size_t i = 0; i < n; ++i) {
        double s = static_cast<double>(i) / RATE, swell = std::min(1.0, s / 1.5) * std::min(1.0, (3.0 - s) * 4);
        double v = 0;
        for (double f : notes) v += std::sin(2 * M_PI * f * s) * 0.12;
        double kick = s - 1.5; // the ball leaves the boot at half time
        if (kick >= 0 && kick < 0.15) v += std::sin(2 * M_PI * 90 * kick) * std::exp(-kick * 30) * 0.6;
        out[i] = static_cast<int16_t>(std::lround(std::clamp(v * std::max(swell, 0.0), -1.0, 1.0) * 30000));
    }
    return out;
}

bool build_intro_movie(const KitContext& ctx, std::string& error)
{
    KitMovie movie;
    movie.fps = FPS;
    movie.rate = RATE;
    movie.quantiser = 6;
    for (int i = 0; i < FRAMES; ++i) movie.frames.push_back(frame(i));
    movie.sound = sound();
    movie.compression = 7;
    return kit_write_file(ctx, "fmv\\kob99.mad", kit_mad(movie), error);
}

} // namespace

KIT_STEP(intro_movie, 90, build_intro_movie)
