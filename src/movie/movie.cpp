#include "movie/movie.h"

#include "cmn/cpu.h"
#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "cmn/stream.h"
#include "host/clock.h"
#include "host/render_device.h"
#include "mix/snd.h"
#include "win/grfreq.h"
#include "win/key.h"
#include "win/threads.h"
#include "win/timer.h"
#include "win/video.h"
#include "win/viddec.h"
#include "win/wind.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

MovieStats moviestats;

namespace {

constexpr uint32_t type4(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}
constexpr uint32_t MAD_KEY = type4('M', 'A', 'D', 'k');
constexpr uint32_t MAD_REF = type4('M', 'A', 'D', 'm');
constexpr uint32_t MAD_DELTA = type4('M', 'A', 'D', 'e');
constexpr uint32_t SOUND_MASK = 0xFFFF, SOUND_VALUE = 0x4353; // "SC"
constexpr int32_t QUEUE = 6;
constexpr uint32_t STREAM_BYTES = 0x100000;
constexpr int32_t HEADER = 24;

uint32_t (*movieclock)() = nullptr;
void (*moviedone)() = nullptr;
bool firstcalldone = false;

uint32_t now() { return movieclock ? movieclock() : host_time_ms(); }

bool isvideo(uint32_t type) { return type == MAD_KEY || type == MAD_REF || type == MAD_DELTA; }

uint32_t le32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

struct Entry {
    uint32_t time;
    uint8_t* buffer;
};

HostRenderDevice* g_device = nullptr;

// The hardware output: each 64-pixel tile of the picture is converted into a
// 64 x 64 drawing window, loaded into its own texture and drawn as a
// screen-space quad, 64 or (doubled) 128 pixels a side, the last column and
// row trimmed to the picture.
struct TileOutput {
    static constexpr int32_t TILE = 64;
    WIND* window = nullptr;
    std::vector<HostTexture*> textures;
    int32_t x = 0, y = 0, width = 0, height = 0, size = TILE, columns = 0, rows = 0;

    bool open(int32_t px, int32_t py, int32_t w, int32_t h, int32_t level)
    {
        x = px, y = py, width = w, height = h;
        size = level ? 2 * TILE : TILE;
        columns = (w + TILE - 1) / TILE;
        rows = (h + TILE - 1) / TILE;
        window = createwindowadr(TILE, TILE, 16, libsettings.defaultmemclass);
        if (!window) return false;
        const HostPixelFormat rgb565{HOST_PF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0};
        for (int32_t i = 0; g_device && i < columns * rows; ++i)
            textures.push_back(g_device->create_texture(TILE, TILE, rgb565));
        return true;
    }

    void show(const uint8_t* frame)
    {
        if (!window || !g_device) return;
        WIND saved[2];
        copycurrentwindow(saved);
        const float scale = static_cast<float>(size) / TILE;
        g_device->begin_scene();
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t c = 0; c < columns; ++c) {
                HostTexture* texture = textures[static_cast<size_t>(r * columns + c)];
                if (!texture) continue;
                lockwindow(window);
                showvideoframe(-c * TILE, -r * TILE, frame, width, height, 0);
                g_device->write_texture(texture, reinterpret_cast<const uint16_t*>(windowshape(window) + 16));
                const int32_t w = std::min(TILE, width - c * TILE), h = std::min(TILE, height - r * TILE);
                const float left = static_cast<float>(x + c * size), top = static_cast<float>(y + r * size);
                const float right = left + static_cast<float>(w) * scale, bottom = top + static_cast<float>(h) * scale;
                const float u = static_cast<float>(w) / TILE, v = static_cast<float>(h) / TILE;
                const HostTLVertex quad[4] = {
                    {left, top, 0.99998474f, 1.5259022e-05f, 0xFFFFFFFF, 0, 0, 0},
                    {right, top, 0.99998474f, 1.5259022e-05f, 0xFFFFFFFF, 0, u, 0},
                    {right, bottom, 0.99998474f, 1.5259022e-05f, 0xFFFFFFFF, 0, u, v},
                    {left, bottom, 0.99998474f, 1.5259022e-05f, 0xFFFFFFFF, 0, 0, v},
                };
                g_device->set_texture(0, texture);
                g_device->draw_primitive(HOST_TRIANGLE_FAN, quad, 4);
            }
        g_device->end_scene();
        g_device->present();
        setcurrentwindow(saved);
    }

    void close()
    {
        for (HostTexture* t : textures)
            if (t && g_device) g_device->release_texture(t);
        textures.clear();
        if (window) disposewindow(window);
        window = nullptr;
    }
};

struct Player {
    STREAMHANDLE video = nullptr, sound = nullptr;
    int32_t level = 0;
    int32_t width = 0, height = 0;
    uint32_t period = 0;
    uint32_t time = 0, fraction = 0; // the next frame's display time
    uint8_t* reference = nullptr;
    Entry queue[QUEUE] = {};
    int32_t count = 0;
    uint32_t start = 0;
    bool audioclock = false;
    int32_t soundid = -1;
    int32_t lastplayed = 0, drift = 0;
    bool stop = false;
    bool hardware = false;
    TileOutput tiles;

    void advance()
    {
        uint32_t f = fraction + (period & 0xFFFF);
        time += (period >> 16) + (f >> 16);
        fraction = f & 0xFFFF;
    }

    uint32_t clock()
    {
        uint32_t t = now() - start;
        if (!audioclock) return t;
        SndStreamStatus status{};
        if (SNDSTRM_requeststatus(soundid, &status) == 0 && status.played > lastplayed) {
            lastplayed = moviestats.soundplayed = status.played;
            drift += status.played - drift / 8 - static_cast<int32_t>(t);
            if (drift > 264 || drift < -264) {
                start -= static_cast<uint32_t>(drift / 8);
                t += static_cast<uint32_t>(drift / 8);
                drift = 0;
            }
        }
        return t;
    }

    // A free buffer that is not the reference, or none.
    uint8_t* takefree()
    {
        for (int32_t i = count; i < QUEUE; ++i)
            if (queue[i].buffer != reference) {
                std::swap(queue[i], queue[count]);
                return queue[count].buffer;
            }
        return nullptr;
    }

    // Queues the buffer that takefree handed out.
    void insert(uint8_t* buffer, uint32_t at)
    {
        int32_t i = count;
        while (queue[i].buffer != buffer) ++i;
        Entry e{at, buffer};
        std::swap(queue[i], queue[count]);
        int32_t j = count++;
        while (j > 0 && static_cast<int32_t>(queue[j - 1].time - at) > 0) {
            queue[j] = queue[j - 1];
            --j;
        }
        queue[j] = e;
    }

    int showdue(uint32_t t)
    {
        if (!count || static_cast<int32_t>(t - queue[0].time) < 0) return 0;
        int32_t n = 1;
        while (n < count && static_cast<int32_t>(t - queue[n].time) >= 0) ++n;
        if (hardware) tiles.show(queue[n - 1].buffer);
        else showvideo(queue[n - 1].buffer);
        ++moviestats.shown;
        Entry shown[QUEUE];
        std::memcpy(shown, queue, sizeof(Entry) * n);
        std::memmove(queue, queue + n, sizeof(Entry) * (QUEUE - n));
        std::memcpy(queue + QUEUE - n, shown, sizeof(Entry) * n);
        count -= n;
        return 1;
    }

    void drain(STREAMHANDLE tap)
    {
        while (uint8_t* c = STREAM_get(tap)) STREAM_release(tap, c);
    }

    // The next video chunk, or none at the end of the stream. In the pre-roll
    // a stream stalled on sound alone also ends the search.
    uint8_t* nextvideo(bool preroll)
    {
        for (;;) {
            while (uint8_t* c = STREAM_get(video)) {
                if (isvideo(streamchunkheader(c).type)) return c;
                STREAM_release(video, c);
            }
            if (STREAM_isendofstream(video)) return nullptr;
            if (STREAM_state(video) == STREAM_STALLED && !STREAM_gettable(video)) {
                if (preroll) return nullptr;
                if (soundid < 0) drain(sound);
            }
            runsystemtasks(0);
            sleepthread(1);
        }
    }

    void skip(uint8_t* chunk)
    {
        advance();
        STREAM_release(video, chunk);
    }

    void decode(uint8_t* chunk, uint8_t* buffer, bool showing)
    {
        StreamChunk h = streamchunkheader(chunk);
        uint32_t bytes = h.size >= HEADER ? h.size - HEADER : 0;
        startvideoframe(chunk + HEADER, bytes, h.type != MAD_KEY, static_cast<int8_t>(chunk[21]));
        bool drawn = !showing;
        for (int32_t my = 0; my < height / 16; ++my) {
            for (int32_t mx = 0; mx < width / 16; ++mx)
                decodevideoframe(reference, buffer, width, height, mx, my);
            if (!drawn) drawn = showdue(clock()) != 0;
        }
        ++moviestats.decoded;
    }
};

void checkesc(Player& p)
{
    if (readkey() == 27) {
        p.stop = true;
        moviestats.escaped = 1;
    }
}

} // namespace

MovieLevel choosemovielevel(uint64_t hz, bool intel, bool usefile2)
{
    const uint64_t low = intel ? 133000000 : 166000000, mid = intel ? 200000000 : 233000000,
                   file2 = intel ? 233000001 : 266000001;
    if (usefile2 && hz >= file2) return {0, 0, 1};
    if (hz < low) return {1, 1, 0};
    if (hz < mid) return {2, 0, 0};
    return {3, 0, 0};
}

void setmovieclock(uint32_t (*clock)()) { movieclock = clock; }
void setmoviedonehook(void (*hook)()) { moviedone = hook; }
void resetmovie()
{
    movieclock = nullptr;
    moviedone = nullptr;
    moviestats = {};
    g_device = nullptr;
}

void setmoviedevice(HostRenderDevice* device) { g_device = device; }

int32_t stream_movie(const char* file, int32_t* dropdelta, int hardware, int32_t level, uint32_t software)
{
    moviestats = {};
    moviestats.soundid = -1;
    auto* memory = static_cast<uint8_t*>(reservememadr("Stream Buffer", STREAM_BYTES,
                                                       static_cast<uint32_t>(libsettings.defaultmemclass)));
    if (!memory) return 0;
    Player p;
    p.level = level;
    p.hardware = hardware != 0;
    p.video = STREAM_create(2, 2, 2, memory, STREAM_BYTES);
    if (!p.video) {
        purgememadr(memory);
        return 0;
    }
    p.sound = STREAM_taphandle(p.video, 2);
    STREAM_setfilter(p.video, 1, SOUND_MASK, SOUND_VALUE, 2);
    STREAM_setfilter(p.video, 2, 0, 0, 1);
    STREAM_queuefile(p.video, file, 0, 0);

    uint8_t* chunk = p.nextvideo(false);
    bool ok = false;
    if (chunk) {
        StreamChunk h = streamchunkheader(chunk);
        int16_t w, hgt;
        std::memcpy(&w, chunk + 16, 2);
        std::memcpy(&hgt, chunk + 18, 2);
        // Only pictures the buffers and the screen can hold.
        ok = h.size >= HEADER && w > 0 && hgt > 0 && w % 16 == 0 && hgt % 16 == 0 && w <= 640 && hgt <= 480;
        if (ok) {
            p.period = le32(chunk + 12);
            p.width = w;
            p.height = hgt;
        }
    }
    moviestats.width = p.width;
    moviestats.height = p.height;
    if (!ok) {
        if (chunk) STREAM_release(p.video, chunk);
        STREAM_destroy(p.video);
        purgememadr(memory);
        return 0;
    }
    int32_t x, y;
    if (level) {
        x = displayinfo.width / 2 - p.width;
        y = displayinfo.height / 2 - p.height;
    } else {
        x = (displayinfo.width - p.width) / 2;
        y = (displayinfo.height - p.height) / 2;
    }
    // The doubling kernels read one cell past a row.
    int32_t framebytes = p.width * p.height * 2 + 4;
    for (int32_t i = 0; i < QUEUE; ++i) {
        p.queue[i].buffer = static_cast<uint8_t*>(
            reservememadr("YUVBUF", framebytes, static_cast<uint32_t>(libsettings.defaultmemclass)));
        std::memset(p.queue[i].buffer, 0, static_cast<size_t>(framebytes));
    }
    if (p.hardware) p.tiles.open(x, y, p.width, p.height, level);
    else setupvideo(x, y, p.width, p.height, level, static_cast<int>(software));

    // Pre-roll: decode ahead while there is room.
    while (chunk) {
        uint32_t type = streamchunkheader(chunk).type;
        if (type != MAD_KEY && !p.reference) { // nothing to refer to yet
            p.skip(chunk);
            ++moviestats.skipped;
            chunk = p.nextvideo(true);
            continue;
        }
        uint8_t* buffer = p.takefree();
        if (!buffer) break;
        p.decode(chunk, buffer, false);
        if (type != MAD_DELTA) p.reference = buffer;
        STREAM_release(p.video, chunk);
        p.insert(buffer, p.time);
        p.advance();
        chunk = p.nextvideo(true);
    }

    PlayOptions options;
    SNDplayoptsinit(&options);
    int32_t soundbytes = SNDSTRM_memrequired(1, 30);
    void* overhead = reservememadr("Audio Overhead", soundbytes, static_cast<uint32_t>(libsettings.defaultmemclass));
    int32_t soundhandle = SNDSTRM_create(p.sound, &options, 1, 30, overhead, soundbytes);
    if (soundhandle >= 0 && STREAM_gettable(p.sound))
        p.soundid = SNDSTRM_play(soundhandle, 0, STREAM_taprequestid(p.sound));
    if (p.soundid < 0) p.soundid = -1;
    moviestats.soundid = p.soundid;
    p.start = now();
    p.audioclock = p.soundid >= 0;

    if (!chunk && !STREAM_isendofstream(p.video)) chunk = p.nextvideo(false);
    while (!p.stop && chunk) {
        runsystemtasks(0);
        if (!p.hardware && getvideomode() == VIDEO_SOFTWARE) *dropdelta = 1;
        uint32_t t = p.clock();
        uint32_t type = streamchunkheader(chunk).type;
        if (type == MAD_DELTA && (*dropdelta || static_cast<int32_t>(p.time - t) < 133)) {
            p.skip(chunk);
            ++moviestats.dropped;
            if (!(chunk = p.nextvideo(false))) break;
            type = streamchunkheader(chunk).type;
        }
        if (static_cast<int32_t>(p.time - t) < 67 || (type != MAD_KEY && !p.reference)) {
            while (chunk && streamchunkheader(chunk).type != MAD_KEY) {
                p.skip(chunk);
                ++moviestats.skipped;
                chunk = p.nextvideo(false);
            }
            if (!chunk) break;
            type = MAD_KEY;
        }
        uint8_t* buffer;
        while (!(buffer = p.takefree())) {
            p.showdue(p.clock());
            runsystemtasks(0);
            checkesc(p);
            if (p.stop) break;
            sleepthread(1);
        }
        if (p.stop) break;
        p.decode(chunk, buffer, true);
        if (type != MAD_DELTA) p.reference = buffer;
        STREAM_release(p.video, chunk);
        p.insert(buffer, p.time);
        if (p.soundid < 0) p.drain(p.sound);
        p.advance();
        checkesc(p);
        chunk = p.stop ? nullptr : p.nextvideo(false);
    }
    if (chunk) STREAM_release(p.video, chunk);

    // The frames still queued, then the sound's end.
    while (!p.stop && p.count) {
        p.showdue(p.clock());
        runsystemtasks(0);
        checkesc(p);
        sleepthread(1);
    }
    while (!p.stop && p.soundid >= 0) {
        SndStreamStatus status{};
        SNDSTRM_requeststatus(p.soundid, &status);
        if (status.played > moviestats.soundplayed) moviestats.soundplayed = status.played;
        if (status.state == 3) break;
        p.drain(p.video);
        if (STREAM_state(p.video) == STREAM_IDLE && !STREAM_gettable(p.sound) && status.buffered == 0) break;
        runsystemtasks(0);
        checkesc(p);
        sleepthread(1);
    }

    SNDSTRM_destroy(soundhandle);
    STREAM_destroy(p.video);
    purgememadr(memory);
    if (overhead) purgememadr(overhead);
    for (Entry& e : p.queue) purgememadr(e.buffer);
    if (p.hardware) p.tiles.close();
    else releasevideo();
    return 1;
}

int32_t play_movie(const char* file1, const char* file2, uint32_t software, int32_t, int32_t usefile2)
{
    auto opens = [](const char* name) {
        if (!name) return false;
        std::FILE* f = std::fopen(name, "rb");
        if (f) std::fclose(f);
        return f != nullptr;
    };
    if (!opens(file1) || (usefile2 && !opens(file2))) return 0;
    libsettings.displaywidth = 640;
    libsettings.displayheight = 480;
    libsettings.displaydepth = 16;
    libsettings.displayoptions = 1;
    if (!firstcalldone) {
        initlibrary();
        SNDinit(-1, -1);
        firstcalldone = true;
    } else {
        initgraphics(640, 480, 16);
        // The sound library forgets it was started when a movie gives it back.
        if (SNDreinit(-1, -1) == -10) SNDinit(-1, -1);
    }
    // Without a display the library has no file system either.
    if (graphicsstate() == 7) {
        MovieLevel choice = choosemovielevel(libcpuhz.load(), libcpu.intel, usefile2 != 0);
        int32_t drop = choice.dropdelta;
        stream_movie(choice.usefile2 ? file2 : file1, &drop, 0, choice.level, software);
    }
    SNDrestore();
    restoregraphics();
    if (moviedone) moviedone();
    return 1;
}
