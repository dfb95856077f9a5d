// Patch headers, play options and the 16 channels: allocation by age and
// priority, stopping, and the per-tick volume and pitch work.
#include "mix/mixer.h"
#include "mix/outlib.h"
#include "mix/sndint.h"

#include "cmn/lib.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* SITE = "snd\\sndchan";

struct SndChannel {
    int32_t id;
    uint8_t group[16];
    uint8_t mark;
    uint8_t state; // 0 free, 1 in use, 2 waiting for its group partner
    uint8_t priority, pan;
    uint32_t stamp;
    int32_t rampstep, ramptarget, volume; // 16.16
    int32_t envstep, envlevel, envticks;
    uint8_t patchvolume, computed, patchbyte, bend;
    uint8_t envcount, envindex;
    uint8_t patcheffect, optioneffect;
    uint8_t leaderflag, groupnumber;
    uint8_t tremoloperiod, vibratoperiod, tremolocounter, vibratocounter;
    int8_t leader;
    const int32_t* envelope; // pairs of ticks and level
    const int8_t* volumecurve;
    const int8_t* bendcurve;
    const int8_t* tremolo;
    const int8_t* vibrato;
    int32_t vibratodepth, bendcents, basepitch;
    int32_t multiplier, pitchscale, pitch;
};
SndChannel channels[16];
int32_t sequence = 0;

// 256 x (2^(i/256) - 1) for the octave's fraction.
struct OctaveTable {
    uint8_t t[256];
    OctaveTable()
    {
        for (int i = 0; i < 256; ++i) {
            double v = std::floor(256.0 * (std::exp2((i + 1) / 256.0) - 1.0));
            t[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
        }
    }
};
const OctaveTable octave;

int32_t computevolume(int32_t c)
{
    SndChannel& ch = channels[c];
    int64_t v = int64_t{ch.volume >> 16} * ch.patchvolume * (ch.envlevel >> 16) * sndstate.mastervolume / 2048383;
    if (ch.tremolo) v = v * ch.tremolo[ch.tremolocounter] / 127;
    if (v < 0) v = 0;
    if (v > 127) v = 127;
    if (ch.volumecurve) v = ch.volumecurve[v];
    ch.computed = static_cast<uint8_t>(v);
    return static_cast<int32_t>(v);
}

int32_t computepitch(int32_t c)
{
    SndChannel& ch = channels[c];
    if (!ch.multiplier) {
        int32_t cents = ch.basepitch;
        if (ch.bendcents) {
            int32_t bend = ch.bendcurve ? ch.bendcurve[ch.bend & 127] : ch.bend;
            cents += ((bend - 64) * ch.bendcents) >> 6;
        }
        if (ch.vibrato) cents += ((ch.vibrato[ch.vibratocounter] - 64) * ch.vibratodepth) >> 6;
        ch.multiplier = iSNDcentstopitch(cents);
    }
    ch.pitch = static_cast<int32_t>((int64_t{ch.multiplier} * ch.pitchscale) >> 12);
    return ch.pitch;
}

bool valid(int32_t channel) { return channel >= 0 && channel < SND_CHANNELS; }

} // namespace

SndPlatformVoice sndplatformvoices[16];

void sndchannelsreset()
{
    std::memset(channels, 0, sizeof channels);
    std::memset(sndplatformvoices, 0, sizeof sndplatformvoices);
    for (SndChannel& c : channels) c.id = -1, c.leader = -1;
    sequence = 0;
}

void SNDplayoptsinit(PlayOptions* o)
{
    uint8_t keep[2];
    std::memcpy(keep, o->spare, 2);
    std::memset(o, 0, sizeof *o);
    o->word = -1;
    o->byte = 255;
    o->key = 60;
    o->velocity = 127;
    o->pan = 64;
    o->volume = 127;
    o->bend = 64;
    o->effect = 127;
    o->pitchscale = 4096;
    std::memcpy(o->spare, keep, 2);
}

int32_t iSNDcheckplayopts(const PlayOptions* o)
{
    struct Check {
        int32_t value;
        const char* text;
    };
    const Check checks[] = {
        {o->key, "iSNDcheckplayopts - KEYNUM OF %i OUT OF RANGE 0..127.\n"},
        {o->velocity, "iSNDcheckplayopts - VELOCITY OF %i OUT OF RANGE 0..127.\n"},
        {o->volume, "iSNDcheckplayopts - VOL OF %i OUT OF RANGE 0..127.\n"},
        {o->bend, "iSNDcheckplayopts - BEND OF %i OUT OF RANGE 0..127.\n"},
        {o->effect, "iSNDcheckplayopts - FXLEVEL0 OF %i OUT OF RANGE 0..127.\n"},
    };
    for (const Check& c : checks) {
        if (c.value < 0) {
            libfail(SITE, __LINE__, c.text, c.value);
            return -8;
        }
    }
    if (o->spatial) {
        if (o->elevation < -16384 || o->elevation > 16383) {
            LIBFAIL(SITE, "iSNDcheckplayopts - ELEVATION OF %i OUT OF RANGE -16384..16383.\n", o->elevation);
            return -8;
        }
    } else if (o->pan < 0) {
        LIBFAIL(SITE, "iSNDcheckplayopts - PAN OF %i OUT OF RANGE 0..127.\n", o->pan);
        return -8;
    }
    return 0;
}

int32_t iSNDpatchtohdr(const uint8_t* p, uint32_t length, SndSampleFormat* format, SndVoiceParams* voice,
                       int32_t* frames)
{
    int32_t bits = 16, chans = 1, compression = 0, rate = 22050;
    *frames = 0;
    *voice = {-1, 0, 0, 127, 64, 0, 0, 0};
    uint32_t at = length >= 4 && (p[3] & 0x02) ? 8 : 4;
    while (at < length) {
        uint8_t tag = p[at++];
        if (tag == 0xFF) break;
        if (tag == 0xFC || tag == 0xFD || tag == 0xFE) continue;
        if (at >= length) break;
        uint32_t size = p[at++];
        if (size == 0xFF) {
            if (length - at < 4) break;
            size = static_cast<uint32_t>(sndgetbigendian(p + at, 4));
            at += 4;
        }
        if (size > length - at) break; // runs past the chunk: ignored, and the end
        // Longer values keep their low 32 bits.
        int32_t n = size > 4 ? 4 : static_cast<int32_t>(size);
        int32_t value = sndgetbigendian(p + at + size - n, n);
        at += size;
        switch (tag) {
        case 0x81: bits = value; break;
        case 0x82: chans = value & 3; break;
        case 0x83: compression = value; break;
        case 0x84: rate = value & 0xFFFF; break;
        case 0x85: *frames = value; break;
        case 0x05: voice->channelmask = value; break;
        case 0x06: voice->priority = static_cast<uint8_t>(value); break;
        case 0x0A: voice->bendrange = static_cast<uint8_t>(value); break;
        case 0x13: voice->effectlevel = static_cast<uint8_t>(value); break;
        case 0x91: voice->quality = static_cast<uint8_t>(value); break;
        default: break;
        }
    }
    int kind;
    switch (compression) {
    case 0:
        if (bits == 16) kind = 0;
        else if (bits == 8) kind = 2;
        else {
            LIBFAIL(SITE, "iSNDpatchtohdr - UNKNOWN BITS PER SAMPLE.\n");
            return -15;
        }
        break;
    case 5: kind = 6; break;
    case 7: kind = 3; break;
    case 9: kind = 4; break;
    default: LIBFAIL(SITE, "iSNDpatchtohdr - UNKNOWN COMPRESSION TYPE.\n"); return -15;
    }
    // A rate of 0 would divide by zero and freeze the voice.
    if (rate == 0) return -15;
    format->rate = static_cast<uint16_t>(rate);
    format->representation = static_cast<uint16_t>(kind << 2 | chans);
    return 0;
}

int32_t iSNDplatformcalcdatarate(const SndSampleFormat* f)
{
    int64_t base = int64_t{f->rate} * sndchannels(*f);
    switch (sndkind(*f)) {
    case 0: return static_cast<int32_t>(base * 2);
    case 2: return static_cast<int32_t>(base);
    case 3: return static_cast<int32_t>((base * 136) >> 8);
    case 4: return static_cast<int32_t>((base * 51) >> 8);
    default:
        LIBFAIL(SITE, "iSNDplatformcalcdatarate - UNRECOGNIZED SAMPLE REPRESENTATION %i.\n", f->representation);
        return 0;
    }
}

int32_t iSNDcentstopitch(int32_t cents)
{
    int64_t base = 4096;
    while (cents >= 1200) base *= 2, cents -= 1200;
    while (cents <= -1200) base /= 2, cents += 1200;
    int32_t i = (cents * 13981) >> 16;
    if (i >= 0) return static_cast<int32_t>((base * (256 + octave.t[i & 255])) >> 8);
    return static_cast<int32_t>((base * (256 + octave.t[i & 255])) >> 9);
}

int32_t iSNDallocchan(int32_t mask, int32_t count, int32_t priority, int32_t* id)
{
    sequence += 32;
    if (sequence < 0) sequence = 0;
    int32_t limit = sndstate.channelcount > 16 ? 16 : sndstate.channelcount;
    bool taken[16] = {};
    int32_t order[16];
    int32_t got = 0;
    auto inmask = [&](int c) { return (static_cast<uint32_t>(mask) >> c) & 1; };
    for (int32_t k = 0; k < count && got < count; ++k) {
        int best = -1;
        for (int c = 0; c < limit; ++c)
            if (inmask(c) && !taken[c] && channels[c].state == 0 &&
                (best < 0 || static_cast<int32_t>(channels[c].stamp - channels[best].stamp) < 0))
                best = c;
        if (best < 0) break;
        taken[best] = true;
        order[got++] = best;
    }
    while (got < count) {
        int best = -1;
        for (int c = 0; c < limit; ++c) {
            if (!inmask(c) || taken[c] || channels[c].priority > 102) continue;
            if (best < 0 || channels[c].priority < channels[best].priority ||
                (channels[c].priority == channels[best].priority &&
                 static_cast<int32_t>(channels[c].stamp - channels[best].stamp) < 0))
                best = c;
        }
        if (best < 0) break;
        taken[best] = true;
        order[got++] = best;
    }
    if (got < count || count <= 0) return -9;
    for (int32_t k = 0; k < got; ++k) {
        SndChannel& ch = channels[order[k]];
        if (ch.state) {
            int32_t owner = ch.id >= 0 ? ch.id : ch.leader >= 0 ? channels[ch.leader].id : -1;
            if (owner >= 0) iSNDstopvoice(owner);
            if (ch.state) {
                for (int32_t u = 0; u < k; ++u) channels[order[u]].state = 0;
                return -9;
            }
        }
        ch.state = 1;
        ch.stamp = sndstate.servertick;
        ch.priority = static_cast<uint8_t>(priority);
        ch.mark = 255;
    }
    *id = sequence | order[0];
    channels[order[0]].id = *id;
    channels[order[0]].leader = -1;
    channels[order[0]].groupnumber = 0;
    for (int32_t k = 1; k < got; ++k) {
        channels[order[k]].id = -1;
        channels[order[k]].leader = static_cast<int8_t>(order[0]);
        channels[order[0]].group[k - 1] = static_cast<uint8_t>(order[k]);
    }
    channels[order[0]].leaderflag = got > 1;
    return 0;
}

void iSNDfreechan(int32_t c)
{
    if (!valid(c)) return;
    SndChannel& ch = channels[c];
    if (ch.state == 0) {
        LIBFAIL(SITE, "iSNDfreechan - CHANNEL %i ALREADY FREE.\n", c);
        return;
    }
    int leader = ch.leader >= 0 ? ch.leader : ch.leaderflag ? c : -1;
    if (leader >= 0) {
        int live = 0, other = -1;
        for (int k = 0; k < 16; ++k)
            if (channels[k].state && (k == leader || channels[k].leader == leader)) {
                ++live;
                if (k != c && k != leader) other = k;
            }
        if (live == 2 && c != leader && channels[leader].state == 2) {
            channels[leader].state = 0, channels[leader].stamp = sndstate.servertick;
            channels[leader].id = -1;
        } else if (c == leader && live > 1) {
            ch.state = 2; // the leader waits for its partners
            (void)other;
            return;
        }
    }
    ch.state = 0;
    ch.stamp = sndstate.servertick;
    ch.id = -1;
}

int32_t sndchannelof(int32_t id)
{
    int32_t c = id & 31;
    return c < 16 && id >= 0 && channels[c].state == 1 && channels[c].id == id;
}

int32_t iSNDstopvoice(int32_t id)
{
    if (!sndstate.initialised) return -10;
    int32_t c = id & 31;
    if (id < 0 || c >= 16 || channels[c].state != 1 || channels[c].id != id) return -8;
    auto stopone = [](int32_t k) -> int32_t {
        switch (sndplatformvoices[k].method) {
        case 0: case 1: case 2: iSNDmixstop(k); return 0;
        case 3: snddllstopbuf(k); iSNDfreechan(k); return 0;
        default: LIBFAIL(SITE, "iSNDstop - UNSUPPORTED 3D PLAYBACK METHOD.\n"); return -7;
        }
    };
    if (channels[c].leaderflag) {
        int32_t r = 0;
        for (int k = 0; k < 16; ++k)
            if (k != c && channels[k].state == 1 && channels[k].leader == c) r = stopone(k);
        int32_t own = stopone(c);
        return own ? own : r;
    }
    return stopone(c);
}

int32_t iSNDvoicedone(int32_t id) { return sndchannelof(id) ? 0 : 1; }

void iSNDvol(int32_t c, int32_t volume)
{
    if (!valid(c)) return;
    SndPlatformVoice& pv = sndplatformvoices[c];
    int32_t l, r;
    switch (pv.method) {
    case 0: case 2:
        if (pv.active) {
            sndbalancepan(channels[c].pan, volume, &l, &r);
        } else {
            sndanglepan(pv.direction, volume, &l, &r);
            l = std::abs(l), r = std::abs(r);
        }
        iSNDmixsetvol(c, l, r);
        break;
    case 1:
        // A negative level plays that side out of phase.
        sndanglepan3d(static_cast<uint32_t>((channels[c].pan - 64) * 256), volume, &pv.position[0], &pv.position[1], &l,
                      &r);
        pv.position[0] = static_cast<int8_t>(l);
        pv.position[1] = static_cast<int8_t>(r);
        iSNDmixsetvol(c, l, r);
        break;
    case 3: snddllvol(c, volume); break;
    default: LIBFAIL(SITE, "iSNDvol - UNSUPPORTED 3D PLAYBACK METHOD.\n"); break;
    }
}

void iSNDpitchbend(int32_t c, int32_t pitch)
{
    if (!valid(c)) return;
    SndPlatformVoice& pv = sndplatformvoices[c];
    uint64_t rate = pv.rate, p = static_cast<uint32_t>(pitch);
    switch (pv.method) {
    case 0: case 1: case 2: {
        uint64_t out = sndstate.outputrate ? sndstate.outputrate : 22050;
        iSNDmixpitch(c, static_cast<uint32_t>(std::min<uint64_t>(16 * rate * p / out, 0x80000)));
        break;
    }
    case 3: snddllrate(c, static_cast<int32_t>(rate * p / 4096)); break;
    default: LIBFAIL(SITE, "iSNDpitchbend - UNSUPPORTED 3D PLAYBACK METHOD.\n"); break;
    }
}

void sndchannelsetup(int32_t c, const SndVoiceParams* v, const PlayOptions* o)
{
    SndChannel& ch = channels[c];
    ch.pan = static_cast<uint8_t>(o->pan);
    ch.rampstep = 0;
    ch.volume = ch.ramptarget = o->volume << 16;
    ch.envstep = 0;
    ch.envlevel = 127 << 16;
    ch.envticks = 0x7FFFFFFF;
    ch.envcount = ch.envindex = 0;
    ch.patchvolume = v->volume;
    ch.patchbyte = v->patchbyte;
    ch.bend = static_cast<uint8_t>(o->bend);
    ch.patcheffect = v->effectlevel;
    ch.optioneffect = static_cast<uint8_t>(o->effect);
    ch.tremoloperiod = ch.vibratoperiod = ch.tremolocounter = ch.vibratocounter = 0;
    ch.envelope = nullptr, ch.volumecurve = nullptr, ch.bendcurve = nullptr;
    ch.tremolo = nullptr, ch.vibrato = nullptr;
    ch.vibratodepth = 0;
    ch.bendcents = v->bendrange * 100;
    ch.basepitch = v->basepitch;
    ch.multiplier = 0;
    ch.pitchscale = o->pitchscale;
    computepitch(c);
    computevolume(c);
}

int32_t sndchannelpitch(int32_t c) { return channels[c].pitch; }
int32_t sndchannelvolume(int32_t c) { return channels[c].computed; }
int32_t sndchannelpan(int32_t c) { return channels[c].pan; }

void sndchannelsstep()
{
    for (int c = 0; c < 16; ++c) {
        SndChannel& ch = channels[c];
        if (ch.state != 1 || ch.id < 0) continue;
        bool changed = false;
        if (ch.vibrato && ch.vibratoperiod) {
            ch.vibratocounter = static_cast<uint8_t>((ch.vibratocounter + 1) % ch.vibratoperiod);
            ch.multiplier = 0;
            iSNDpitchbend(c, computepitch(c));
        }
        if (ch.tremolo && ch.tremoloperiod) {
            ch.tremolocounter = static_cast<uint8_t>((ch.tremolocounter + 1) % ch.tremoloperiod);
            changed = true;
        }
        if (ch.rampstep) {
            ch.volume += ch.rampstep;
            if ((ch.rampstep > 0 && ch.volume >= ch.ramptarget) || (ch.rampstep < 0 && ch.volume <= ch.ramptarget)) {
                ch.volume = ch.ramptarget;
                ch.rampstep = 0;
            }
            changed = true;
            if (ch.volume < 0) {
                iSNDstopvoice(ch.id);
                continue;
            }
        }
        if (ch.envstep) {
            ch.envlevel += ch.envstep;
            changed = true;
        }
        if (ch.envticks == 0) {
            if (!ch.envelope || ch.envindex >= ch.envcount) {
                iSNDstopvoice(ch.id);
                continue;
            }
            int32_t ticks = ch.envelope[2 * ch.envindex], level = ch.envelope[2 * ch.envindex + 1];
            ++ch.envindex;
            ch.envticks = ticks < 0 ? 0x7FFFFFFF : ticks;
            ch.envstep = ch.envticks ? static_cast<int32_t>((int64_t{level} * 65536 - ch.envlevel) / ch.envticks) : 0;
        }
        --ch.envticks;
        if (changed) iSNDvol(c, computevolume(c));
    }
}

void sndchannelsstopall()
{
    for (int c = 0; c < 16; ++c) {
        if (channels[c].state != 1) continue;
        if (channels[c].id >= 0) iSNDstopvoice(channels[c].id);
    }
}

void sndchannelsrepitch()
{
    for (int c = 0; c < 16; ++c)
        if (channels[c].state == 1 && channels[c].id >= 0) iSNDpitchbend(c, channels[c].pitch);
}

void iSNDpan3d(uint16_t azimuth, int16_t elevation, int32_t* out)
{
    uint32_t e = static_cast<uint16_t>(elevation);
    int32_t ce = sndtablecos(static_cast<int32_t>(e >> 6)), se = sndtablesin(static_cast<int32_t>(e >> 6));
    int32_t sa = sndfinesin(azimuth), ca = sndfinecos(azimuth);
    out[0] = static_cast<int32_t>((int64_t{ce} * sa) >> 16);
    out[1] = se;
    out[2] = static_cast<int32_t>((int64_t{ce} * ca) >> 16);
}
