// The packet player: a ring of packets in its owner's memory, handed one at
// a time to the mixer's packet source.
#include "mix/pktplay.h"

#include "mix/mixer.h"

#include "cmn/lib.h"

#include <new>

namespace {

constexpr const char* SITE = "snd\\sndpkt";

struct Entry {
    int32_t number, frames;
    const uint8_t* tag;
    uint32_t bytes;
};

struct Player {
    int32_t voice, next;
    int16_t capacity, read, current, queued;
    int32_t framesqueued, frameshanded;
    void* memory;
    SndPacketRelease release;
    SndPacketPlayed played;
    SndSampleFormat format;
    Entry* ring() { return reinterpret_cast<Entry*>(this + 1); }
};
static_assert(alignof(Entry) <= alignof(Player));

Player* players[16];

Player* get(int32_t n) { return n >= 0 && n < 16 ? players[n] : nullptr; }

bool started(Player* p, const char* text)
{
    if (p && p->voice != -1) return true;
    libfail(SITE, __LINE__, "%s", text);
    return false;
}

void purge(Player* p, int32_t first, int32_t last)
{
    Entry* ring = p->ring();
    int16_t kept = 0;
    int16_t queued = p->queued;
    for (int16_t k = 0; k < queued; ++k) {
        Entry e = ring[(p->read + k) % p->capacity];
        if (e.number >= first && e.number <= last) {
            --p->queued;
            p->framesqueued -= e.frames;
            if (p->release) p->release(e.tag);
        } else {
            ring[(p->read + kept) % p->capacity] = e;
            ++kept;
        }
    }
}

} // namespace

void SNDPKTPLAY_reset()
{
    for (Player*& p : players) p = nullptr;
}

int32_t SNDPKTPLAY_memrequired(int32_t packets)
{
    return static_cast<int32_t>(packets * sizeof(Entry) + sizeof(Player));
}

int32_t SNDPKTPLAY_create(void* memory, int32_t size, SndPacketRelease release, SndPacketPlayed played)
{
    if (!sndstate.initialised) return -10;
    int32_t n = 0;
    while (n < 16 && players[n]) ++n;
    if (n == 16) return -9;
    if (!memory || size < SNDPKTPLAY_memrequired(2)) return -6;
    auto* p = new (memory) Player{};
    p->voice = -1;
    p->current = -1;
    p->capacity = static_cast<int16_t>((size - static_cast<int32_t>(sizeof(Player))) / static_cast<int32_t>(sizeof(Entry)));
    p->memory = memory;
    p->release = release;
    p->played = played;
    players[n] = p;
    return n;
}

int32_t SNDPKTPLAY_start(int32_t n, const SndSampleFormat* format, const SndVoiceParams* vp, const PlayOptions* options)
{
    if (!sndstate.initialised) return -10;
    Player* p = get(n);
    if (!p) return -8;
    if (iSNDcheckplayopts(options)) return -8;
    SndLockHold hold;
    int32_t id;
    if (iSNDallocchan(vp->channelmask, 1, vp->priority, &id) < 0) return -9;
    int32_t c = id & 31;
    p->voice = id;
    p->next = 0;
    p->read = p->queued = 0;
    p->current = -1;
    p->framesqueued = p->frameshanded = 0;
    p->format = *format;
    sndchannelsetup(c, vp, options);
    int32_t send = static_cast<int32_t>(int64_t{sndstate.effectlevel} * vp->effectlevel * options->effect / 16129);

    // The platform's packet play.
    SndPlatformVoice& pv = sndplatformvoices[c];
    int32_t bits, compression = 0;
    switch (sndkind(*format)) {
    case 3: bits = 16, compression = 7; break;
    case 4: bits = 16, compression = 9; break;
    case 2: bits = 8; break;
    case 0: bits = 16; break;
    default:
        LIBFAIL(SITE, "iSNDplatformpacketplay - UNSUPPORTED SAMPLE REPRESENTATION.\n");
        iSNDfreechan(c);
        p->voice = -1;
        return -15;
    }
    int32_t left, right;
    sndbalancepan(sndchannelpan(c), sndchannelvolume(c), &left, &right);
    int32_t chans = sndchannels(*format), mixformat;
    if (bits == 16 && chans == 1) mixformat = 4;
    else if (bits == 16 && chans == 2) mixformat = 8;
    else if (bits == 8 && chans == 1) mixformat = 1;
    else if (bits == 8 && chans == 2) mixformat = 2;
    else {
        LIBFAIL(SITE, "iSNDplatformpacketplay - UNSUPPORTED SAMPLE FORMAT.\n");
        iSNDfreechan(c);
        p->voice = -1;
        return -7;
    }
    pv = {format->rate, static_cast<uint8_t>(bits), static_cast<uint8_t>(chans), static_cast<uint8_t>(compression), 0, 1, {}, 0, 0};
    uint64_t out = sndstate.outputrate ? sndstate.outputrate : 22050;
    uint64_t step = 16 * uint64_t{format->rate} * static_cast<uint32_t>(sndchannelpitch(c)) / out;
    int32_t quality = vp->quality + sndstate.qualityoffset;
    quality = quality < 0 ? 0 : quality > 100 ? 100 : quality;
    int32_t r = iSNDmixstart(c, mixformat, compression, 0, 0, 0, -1, -1, left, right,
                             static_cast<uint32_t>(step > 0x80000 ? 0x80000 : step), quality, send);
    if (r < 0) {
        iSNDfreechan(c);
        p->voice = -1;
        return r;
    }
    return id;
}

int32_t SNDPKTPLAY_submit(int32_t n, const SndPacket* packet)
{
    Player* p = get(n);
    if (!started(p, "SNDPKTPLAY_submit - DO NOT SUBMIT PACKETS BEFORE STARTING.\n")) return -8;
    SndLockHold hold;
    if (p->queued >= p->capacity - 1) return -13;
    p->ring()[(p->read + p->queued) % p->capacity] = {p->next, packet->frames, packet->tag, packet->bytes};
    ++p->queued;
    p->framesqueued += packet->frames;
    int32_t number = p->next;
    p->next = p->next == 0x7FFFFFFF ? 0 : p->next + 1;
    return number;
}

int32_t SNDPKTPLAY_submitspace(int32_t n)
{
    Player* p = get(n);
    if (!started(p, "SNDPKTPLAY_submitspace - DO NOT CALL BEFORE SNDPKTPLAY_start.\n")) return 0;
    return p->capacity - p->queued - 1;
}

int32_t SNDPKTPLAY_framesoutstanding(int32_t n)
{
    Player* p = get(n);
    if (!started(p, "SNDPKTPLAY_framesoutstanding - DO NOT CALL BEFORE SNDPKTPLAY_start.\n")) return 0;
    return p->framesqueued + p->frameshanded;
}

int32_t SNDPKTPLAY_framesoutstandinglocked(int32_t n)
{
    SndLockHold hold;
    return SNDPKTPLAY_framesoutstanding(n);
}

int32_t SNDPKTPLAY_hardwareframesoutstanding(int32_t n)
{
    Player* p = get(n);
    if (!started(p, "SNDPKTPLAY_hardwareframesoutstanding - DO NOT CALL BEFORE SNDPKTPLAY_start.\n")) return 0;
    return p->frameshanded;
}

void SNDPKTPLAY_purge(int32_t n, int32_t first, int32_t last)
{
    Player* p = get(n);
    if (!started(p, "SNDPKTPLAY_purge - DO NOT CALL BEFORE SNDPKTPLAY_start.\n")) return;
    SndLockHold hold;
    purge(p, first, last);
}

void SNDPKTPLAY_stop(int32_t n)
{
    Player* p = get(n);
    if (!started(p, "SNDPKTPLAY_stop - DO NOT CALL BEFORE SNDPKTPLAY_start.\n")) return;
    SndLockHold hold;
    iSNDstopvoice(p->voice);
    purge(p, 0, 0x7FFFFFFF);
    if (p->current >= 0) {
        const uint8_t* tag = p->ring()[p->current].tag;
        p->current = -1;
        if (p->release) p->release(tag);
    }
    p->frameshanded = 0;
    p->voice = -1;
}

void SNDPKTPLAY_destroy(int32_t n)
{
    if (get(n)) players[n] = nullptr;
}

int32_t SNDPKTPLAY_voice(int32_t n)
{
    Player* p = get(n);
    return p ? p->voice : -1;
}

const uint8_t* sndpktnext(int32_t n, int32_t* frames, uint32_t* bytes)
{
    Player* p = get(n);
    if (!p) return nullptr;
    if (p->current >= 0) {
        const uint8_t* tag = p->ring()[p->current].tag;
        p->current = -1;
        if (p->release) p->release(tag);
    }
    if (!p->queued) return nullptr;
    Entry& e = p->ring()[p->read];
    p->current = p->read;
    --p->queued;
    p->read = static_cast<int16_t>((p->read + 1) % p->capacity);
    p->frameshanded += e.frames;
    p->framesqueued -= e.frames;
    *frames = e.frames;
    if (bytes) *bytes = e.bytes;
    return e.tag;
}

void sndpktconsumed(int32_t n, int32_t frames)
{
    Player* p = get(n);
    if (!p) return;
    p->frameshanded -= frames;
    if (p->played) p->played(n, frames);
}

int32_t sndpktplayerofvoice(int32_t voice)
{
    for (int32_t n = 0; n < 16; ++n)
        if (players[n] && players[n]->voice >= 0 && (players[n]->voice & 31) == voice) return n;
    return -1;
}

const uint8_t* sndnextbuffer(void* state, bool stream, int32_t player, int32_t* frames, uint32_t* bytes)
{
    *frames = 0, *bytes = 0;
    if (!stream) return sndpktnext(player, frames, bytes);
    const uint8_t* data = nullptr;
    if (!sndstreamrefill || sndstreamrefill(state, &data, frames) != 0) return nullptr;
    // The refill gives no length; a compressed frame takes well under a byte.
    *bytes = static_cast<uint32_t>(*frames > 0 ? *frames : 0);
    return data;
}

void sndreportconsumed(bool stream, int32_t player, int32_t* handed)
{
    if (*handed && !stream) sndpktconsumed(player, *handed);
    *handed = 0;
}
