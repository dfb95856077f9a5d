// Plays computer-against-computer matches without a display, from the
// captains' meeting through the breaks to full time, on the game's data (the
// data directory as for the game: KOB99_DATA_DIR or beside the program).
//
//   matchrun [options] [seed] [quarter minutes] [tick cap]
//
// For each match it prints the digest of the match records every 256 ticks,
// then one line: the seed, the ticks run, whether full time came, both
// scores and the ticks a second. The exit code is 0 when every match reached
// full time within the cap with each team's points six a goal and one a
// behind, else 1 (2 for bad arguments).
#include "match/match_driver.h"
#include "match/match_records.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Options {
    MatchRunSettings settings;
    int32_t tick_cap = 600000;
    int32_t matches = 1;
    bool hashes = true;
    bool states = false;
    int32_t trace_from = -1;
};

void usage()
{
    std::fprintf(stderr,
                 "usage: matchrun [options] [seed] [quarter minutes] [tick cap]\n"
                 "  --soak N         play N matches, seeds seed .. seed + N - 1 (no digests)\n"
                 "  --states         print each change of match state\n"
                 "  --no-hashes      leave out the digest lines\n"
                 "  --trace T        from tick T on, print each tick's state, ball, holder and the set-kick men\n"
                 "                   (and each team's key men when MATCHRUN_TRACE_KEY_MEN is set,\n"
                 "                   the umpires with their jobs when MATCHRUN_TRACE_UMPIRES is set)\n"
                 "  --home N, --away N, --variant N, --weather N, --time-of-day N,\n"
                 "  --difficulty N, --interchange N, --toss N, --speed N   match settings\n");
}

bool number(const char* text, long lo, long hi, long* out)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool parse(int argc, char** argv, Options* o)
{
    MatchRunSettings& s = o->settings;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        long v = 0;
        if (a == "--help")
            return false;
        if (a == "--states") {
            o->states = true;
            continue;
        }
        if (a == "--no-hashes") {
            o->hashes = false;
            continue;
        }
        if (a.rfind("--", 0) == 0) {
            if (i + 1 >= argc)
                return false;
            const char* arg = argv[++i];
            if (a == "--soak" && number(arg, 1, 1000000, &v)) {
                o->matches = static_cast<int32_t>(v);
                o->hashes = false;
            } else if (a == "--trace" && number(arg, 0, 0x7FFFFFFF, &v)) {
                o->trace_from = static_cast<int32_t>(v);
            } else if (a == "--home" && number(arg, 0, 127, &v)) {
                s.home_team = static_cast<int8_t>(v);
            } else if (a == "--away" && number(arg, 0, 127, &v)) {
                s.away_team = static_cast<int8_t>(v);
            } else if (a == "--variant" && number(arg, 0, 7, &v)) {
                s.kick_off_variant = static_cast<uint8_t>(v);
            } else if (a == "--weather" && number(arg, 0, 255, &v)) {
                s.weather = static_cast<uint8_t>(v);
            } else if (a == "--time-of-day" && number(arg, 0, 255, &v)) {
                s.time_of_day = static_cast<uint8_t>(v);
            } else if (a == "--difficulty" && number(arg, 0, 100, &v)) {
                s.difficulty = static_cast<uint32_t>(v);
            } else if (a == "--interchange" && number(arg, 0, 6, &v)) {
                s.interchange_players = static_cast<uint8_t>(v);
            } else if (a == "--toss" && number(arg, -1, 1, &v)) {
                s.toss_winner = static_cast<int8_t>(v);
            } else if (a == "--speed" && number(arg, 0, 255, &v)) {
                s.game_speed = static_cast<uint8_t>(v);
            } else {
                return false;
            }
            continue;
        }
        switch (positional++) {
        case 0:
            if (!number(argv[i], 0, 0xFFFFFFFFL, &v))
                return false;
            s.seed = static_cast<uint32_t>(v);
            break;
        case 1:
            if (!number(argv[i], 1, 60, &v))
                return false;
            s.quarter_minutes = static_cast<int32_t>(v);
            break;
        case 2:
            if (!number(argv[i], 1, 0x7FFFFFFF, &v))
                return false;
            o->tick_cap = static_cast<int32_t>(v);
            break;
        default: return false;
        }
    }
    return true;
}

bool points_add_up(const TeamRecord& t) { return t.points == 6 * t.goals + t.behinds; }

// Where a match that did not reach full time stood: the state, the ball and
// the umpires, who run most restarts.
void print_stall()
{
    const MatchGlobals& m = match_globals;
    std::printf("  stuck in state %u (from %u), ball (%d, %d, %d) flags %04x flight %04x, holder %s, umpire with ball %d\n",
                m.match_state, m.previous_match_state, ball_state.x >> 16, ball_state.y >> 16, ball_state.z >> 16,
                ball_state.flags, ball_state.flight_flags, m.ball_holder ? "yes" : "none",
                m.umpire_with_ball ? static_cast<int>(m.umpire_with_ball - official_slots) : -1);
    for (int i = 0; i < OFFICIAL_COUNT; ++i) {
        const PlayerSlot& u = official_slots[i];
        std::printf("  umpire %d at (%d, %d) job %u step %u action %u target (%d, %d) arrived %u flags %04x anim %u\n", i,
                    u.x, u.y, u.official_job, u.job_step, u.action, u.target_x, u.target_y, u.arrived, u.man_flags,
                    u.primary_animation);
    }
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 4; ++k) {
            const uint8_t n = team_records[t].key_men[k];
            if (n >= TEAM_SLOTS)
                continue;
            const PlayerSlot& p = team_records[t].slots[n];
            std::printf("  team %d key man %d (%u) at (%d, %d) action %u target (%d, %d) arrived %u flags %04x anim %u\n", t,
                        k, n, p.x, p.y, p.action, p.target_x, p.target_y, p.arrived, p.man_flags, p.primary_animation);
        }
}

const char* man_name(const PlayerSlot* p, char* buf, size_t n)
{
    if (!p)
        return "-";
    if (!p->team)
        std::snprintf(buf, n, "u%d", static_cast<int>(p - official_slots));
    else
        std::snprintf(buf, n, "t%d.%u", static_cast<int>(p->team - team_records), p->number);
    return buf;
}

void print_man(const char* label, const PlayerSlot* p)
{
    char name[16];
    if (!p)
        return;
    std::printf(" %s %s (%d,%d,%d) sp %d ef %u fat %d act %u tgt (%d,%d) arr %u fl %04x an %u/%u", label, man_name(p, name, sizeof name), p->x,
                p->y, p->z, p->speed, p->effort, p->fatigue, p->action, p->target_x, p->target_y, p->arrived, p->man_flags, p->primary_animation,
                p->secondary_data ? p->secondary_animation : 0);
}

// One tick of a traced match: enough to follow a restart that does not go on.
void print_trace(int32_t tick)
{
    const MatchGlobals& m = match_globals;
    char a[16], b[16];
    std::printf("t%d st %u clk %d rc %d mark (%d,%d) ball (%d,%d,%d) fl %04x ff %04x bc %u land (%d,%d) holder %s ump %s", tick,
                m.match_state, m.period_clock, m.restart_countdown, m.mark_x, m.mark_y, ball_state.x >> 16, ball_state.y >> 16,
                ball_state.z >> 16, ball_state.flags, ball_state.flight_flags, ball_state.bounce_count, ball_state.landing_x,
                ball_state.landing_y, man_name(m.ball_holder, a, sizeof a), man_name(m.umpire_with_ball, b, sizeof b));
    print_man("A", m.controlled_man_a);
    print_man("B", m.controlled_man_b);
    print_man("H", m.ball_holder ? m.ball_holder : m.umpire_with_ball);
    if (const PlayerSlot* a = m.controlled_man_a) {
        const PlayerSlot* near = nullptr;
        int32_t best = 0x7FFFFFFF;
        for (TeamRecord& t : team_records)
            for (int i = 0; i < GROUND_MEN; ++i) {
                const PlayerSlot* o = &t.slots[i];
                const int32_t d = std::abs(o->x - a->x) + std::abs(o->y - a->y);
                if (o != a && d < best)
                    best = d, near = o;
            }
        print_man("N", near);
    }
    std::printf("\n");
    if (std::getenv("MATCHRUN_TRACE_KEY_MEN"))
        for (int t = 0; t < 2; ++t)
            for (int k = 0; k < 4; ++k)
                if (team_records[t].key_men[k] < TEAM_SLOTS) {
                    std::printf("   ");
                    print_man("k", &team_records[t].slots[team_records[t].key_men[k]]);
                    std::printf(" ds %d sp %u\n", team_records[t].slots[team_records[t].key_men[k]].speed, team_records[t].setup_choice);
                }
    if (std::getenv("MATCHRUN_TRACE_UMPIRES"))
        for (int i = 0; i < OFFICIAL_COUNT; ++i) {
            std::printf("   ");
            print_man("u", &official_slots[i]);
            std::printf(" job %u step %u fc %u wf %d hd %u td %d pos %d trn %u\n", official_slots[i].official_job, official_slots[i].job_step,
                        official_slots[i].facing, official_slots[i].wanted_facing, official_slots[i].move_heading,
                        official_slots[i].target_distance, official_slots[i].primary_position >> 16, official_slots[i].turning);
        }
}

// One match; true when it reached full time with sound scores.
bool play(const Options& o, const MatchRunSettings& s)
{
    headless_match_setup(s);
    const MatchGlobals& m = match_globals;
    uint8_t last_state = m.match_state;
    if (o.states)
        std::printf("tick %7d state %2u clock %6d\n", 0, last_state, m.period_clock);
    const auto start = std::chrono::steady_clock::now();
    int32_t ticks = 0;
    while (ticks < o.tick_cap && !headless_match_full_time()) {
        if (headless_match_over() && !headless_match_resume())
            break; // left some other way: not full time
        headless_match_tick();
        ++ticks;
        if (o.hashes && ticks % 256 == 0)
            std::printf("hash %7d %08x\n", ticks, headless_match_hash());
        if (o.trace_from >= 0 && ticks >= o.trace_from)
            print_trace(ticks);
        if (o.states && m.match_state != last_state) {
            last_state = m.match_state;
            std::printf("tick %7d state %2u clock %6d\n", ticks, last_state, m.period_clock);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const TeamRecord& a = team_records[0];
    const TeamRecord& b = team_records[1];
    const bool full_time = headless_match_full_time() != 0;
    const bool sound = points_add_up(a) && points_add_up(b);
    std::printf("seed %u ticks %d %s score %d.%d (%d) - %d.%d (%d)%s ticks/s %.0f\n", s.seed, ticks,
                full_time ? "full-time" : "NOT-FULL-TIME", a.goals, a.behinds, a.points, b.goals, b.behinds, b.points,
                sound ? "" : " POINTS-WRONG", seconds > 0 ? ticks / seconds : 0.0);
    if (!full_time)
        print_stall();
    std::fflush(stdout);
    return full_time && sound;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!parse(argc, argv, &o)) {
        usage();
        return 2;
    }
    int32_t failed = 0;
    for (int32_t i = 0; i < o.matches; ++i) {
        MatchRunSettings s = o.settings;
        s.seed = o.settings.seed + static_cast<uint32_t>(i);
        if (!play(o, s))
            ++failed;
    }
    if (o.matches > 1)
        std::printf("%d of %d matches reached full time\n", o.matches - failed, o.matches);
    return failed ? 1 : 0;
}
