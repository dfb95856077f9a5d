// The commentary's spoken samples: every phrase of every group, the fourteen
// ball-position phrases, and each club's names file "kob99_sfx\teamNN.dat"
// (three takes of the name of every guernsey number its men wear, then its
// two name sets, its closings and its lead-in). The words are in
// sources/commentary/phrases.txt; the clubs' names come from the language
// text, the men's from the built-in league.
#include "lib/adpcm_write.h"
#include "lib/kit.h"
#include "speech.h"

#include "display/commentary_groups.h"
#include "league/league_data.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

namespace
{

// The commentator, and his three takes of a name: plain, rising after a
// phrase, falling after a phrase.
const SpeechVoice commentator{"en-gb+m3", 48, 172};
const SpeechVoice takes[3] = {{"en-gb+m3", 48, 172}, {"en-gb+m3", 56, 172}, {"en-gb+m3", 40, 165}};

using Lines = std::map<std::string, std::vector<std::string>>;

std::string trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

Lines parse_lines(const std::string& text)
{
    Lines lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::vector<std::string>& texts = lines[trim(line.substr(0, colon))];
        std::istringstream parts(line.substr(colon + 1));
        std::string part;
        while (std::getline(parts, part, '|'))
            if (!trim(part).empty()) texts.push_back(trim(part));
    }
    return lines;
}

// Club names and nicknames from the language text source (numbers 0-15, 20-35).
bool club_names(const KitContext& ctx, std::string names[16], std::string nicks[16], std::string& error)
{
    std::string text;
    if (!kit_read_source(ctx, "texts/english.txt", text, error)) return false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        int number = -1;
        const size_t q = line.find('"'), r = line.rfind('"');
        if (line.empty() || line[0] == '#' || q == std::string::npos || r <= q ||
            std::sscanf(line.c_str(), "%d", &number) != 1)
            continue;
        if (number >= 0 && number < 16) names[number] = line.substr(q + 1, r - q - 1);
        if (number >= 20 && number < 36) nicks[number - 20] = line.substr(q + 1, r - q - 1);
    }
    for (int c = 0; c < 16; ++c)
        if (names[c].empty() || nicks[c].empty()) {
            error = "the language text names no club " + std::to_string(c);
            return false;
        }
    return true;
}

std::string replace_all(std::string s, const std::string& from, const std::string& to)
{
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
    return s;
}

// The surname a commentator says.
std::string spoken_name(const league_player* p)
{
    const std::string full = player_name(p);
    const size_t space = full.rfind(' ');
    return space == std::string::npos ? full : full.substr(space + 1);
}

const league_player* wearer(int club, int number)
{
    const league_team* team = builtin_league.teams[club];
    for (int p = 0; p < LEAGUE_PLAYERS; ++p)
        if (team->players[p] && team->players[p]->bytes[PLAYER_GUERNSEY] == number) return team->players[p];
    return nullptr;
}

struct Sample {
    std::string file; // base name
    std::string text;
};

bool write_samples(const KitContext& ctx, const std::vector<Sample>& samples, std::string& error)
{
    std::vector<std::string> texts;
    for (const Sample& s : samples) texts.push_back(s.text);
    const auto spoken = speak_all(texts, commentator);
    for (size_t i = 0; i < samples.size(); ++i) {
        const std::string name = "kob99_sfx\\" + samples[i].file + ".lka";
        if (!kit_write_file(ctx, name.c_str(), kit_adpcm_sample(spoken[i]), error)) return false;
    }
    return true;
}

// A names file record: {u32 L, u32 format, L bytes}, the sample image itself.
void record(std::vector<uint8_t>& file, const std::vector<int16_t>* pcm)
{
    if (!pcm) {
        const uint8_t empty[8] = {0, 0, 0, 0, 0x22, 0x56, 0x06, 0};
        file.insert(file.end(), empty, empty + 8);
        return;
    }
    const std::vector<uint8_t> image = kit_adpcm_sample(*pcm);
    file.insert(file.end(), image.begin(), image.end());
}

bool build_commentary_sounds(const KitContext& ctx, std::string& error)
{
    std::string source;
    if (!kit_read_source(ctx, "commentary/phrases.txt", source, error)) return false;
    const Lines lines = parse_lines(source);
    std::string names[16], nicks[16];
    if (!club_names(ctx, names, nicks, error)) return false;
    auto texts_of = [&](const std::string& key) -> const std::vector<std::string>& {
        static const std::vector<std::string> none;
        auto it = lines.find(key);
        return it == lines.end() ? none : it->second;
    };
    const std::vector<std::string>& any = texts_of("any");
    if (any.empty() || texts_of("club_players").empty() || texts_of("zones").size() != 14) {
        error = "commentary/phrases.txt needs its any, club_players and 14 zones lines";
        return false;
    }

    std::vector<Sample> samples;
    for (int g = 0; g < PHRASE_GROUP_COUNT; ++g) {
        const PhraseGroup& group = phrase_group(g);
        const std::vector<std::string>& own = texts_of(std::to_string(g));
        for (int i = 0; i < group.count; ++i) {
            std::string text;
            if (g >= 106 && g <= 121) {
                int numbers[NAMED_PLAYERS];
                club_named_players(g - 106, numbers);
                text = spoken_name(wearer(g - 106, numbers[i]));
            } else if (g >= 298 && g <= 313) {
                const int club = g - 298;
                int numbers[NAMED_PLAYERS];
                club_named_players(club, numbers);
                const int k = club == 0 ? i + 2 : i;
                const auto& lines_np = texts_of("club_players");
                text = replace_all(lines_np[static_cast<size_t>(i) % lines_np.size()], "{player}",
                                   spoken_name(wearer(club, numbers[k])));
            } else if (g == 261 || g == 262) {
                const int club = i % 16, set = i / 16;
                text = own[static_cast<size_t>(set) % own.size()];
                text = replace_all(replace_all(text, "{club}", names[club]), "{nick}", nicks[club]);
            } else if (!own.empty()) {
                text = own[static_cast<size_t>(i) % own.size()];
            } else {
                text = any[static_cast<size_t>(g * 3 + i) % any.size()];
            }
            samples.push_back({std::string(group.names[i]), text});
        }
    }
    const std::vector<std::string>& zones = texts_of("zones");
    for (int z = 0; z < 14; ++z) {
        char file[16];
        std::snprintf(file, sizeof file, "P_01_%02d", z + 1);
        samples.push_back({file, zones[static_cast<size_t>(z)]});
    }
    if (!write_samples(ctx, samples, error)) return false;

    // The names files. Each text is spoken in each of the three takes.
    for (int club = 0; club < 16; ++club) {
        std::vector<std::string> spoken;
        for (int number = 0; number <= 41; ++number) {
            const league_player* p = wearer(club, number);
            spoken.push_back(p ? spoken_name(p) : std::string());
        }
        auto club_text = [&](const std::string& key, size_t i) {
            const auto& t = texts_of(key);
            return t.empty() ? names[club]
                             : replace_all(replace_all(t[i % t.size()], "{club}", names[club]), "{nick}", nicks[club]);
        };
        spoken.push_back(club_text("club_set_one", 0));
        spoken.push_back(club_text("club_set_two", 0));
        spoken.push_back(club_text("club_closing_rest", 0));
        spoken.push_back(club_text("club_closings", 0));
        spoken.push_back(club_text("club_closings", 1));
        spoken.push_back(club_text("club_lead_in", 0));
        std::vector<std::string> said;
        for (const std::string& s : spoken)
            if (!s.empty()) said.push_back(s);
        std::vector<std::vector<int16_t>> voiced[3];
        for (int t = 0; t < 3; ++t) voiced[t] = speak_all(said, takes[t]);
        std::vector<uint8_t> file;
        size_t next = 0;
        for (int number = 0; number <= 41; ++number) {
            const bool worn = !spoken[static_cast<size_t>(number)].empty();
            for (int t = 0; t < 3; ++t) record(file, worn ? &voiced[t][next] : nullptr);
            if (worn) ++next;
        }
        // Set one and set two, three takes each; then the closings and the lead-in.
        for (int set = 0; set < 2; ++set, ++next)
            for (int t = 0; t < 3; ++t) record(file, &voiced[t][next]);
        for (int k = 0; k < 4; ++k, ++next) record(file, &voiced[0][next]);
        char name[32];
        std::snprintf(name, sizeof name, "kob99_sfx\\team%02d.dat", club + 1);
        if (!kit_write_file(ctx, name, file, error)) return false;
    }
    return true;
}

} // namespace

KIT_STEP(commentary_sounds, 22, build_commentary_sounds)
