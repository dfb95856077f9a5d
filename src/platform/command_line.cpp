#include "platform/command_line.h"

#include "host/paths.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

uint8_t exclusive_mode = 1;
uint8_t page_flipping = 1;
uint32_t movies_on = 1;
uint32_t movie_in_software = 0;

namespace {

void set_windowed() { exclusive_mode = 0; }
void set_no_flip() { page_flipping = 0; }
void accept() {}
void set_no_movie() { movies_on = 0; }
void set_movie_in_software() { movie_in_software = 1; }
// Forget the saved 3D device so that the next display start chooses afresh.
void forget_device_choice() { std::remove(host_user_file("devconfig.dat").c_str()); }

struct OptionRow {
    const char* short_form;
    const char* long_form;
    void (*apply)();
};

const OptionRow option_table[] = {
    {"NE", "NONEXCLUSIVE", set_windowed},
    {"NF", "NOFLIP", set_no_flip},
    {"D", "DEBUG", accept},
    {"SW", "SOFTWARE", accept}, // start-up always takes the 3D path
    {"HW", "HARDWARE", accept},
    {"NM", "NOMOVIE", set_no_movie},
    {"MIS", "MOVIEINSOFT", set_movie_in_software},
    {"RS", "RESET", forget_device_choice},
};

const OptionRow* find_option(const std::string& word)
{
    for (const OptionRow& row : option_table)
        if (word == row.short_form || word == row.long_form) return &row;
    return nullptr;
}

} // namespace

int32_t parse_command_line(const char* line)
{
    exclusive_mode = 1;
    page_flipping = 1;
    if (!line || !*line) return 1;

    size_t pos = 0;
    size_t length = std::strlen(line);
    for (;;) {
        const char* start = std::strchr(line + pos, '/');
        if (!start) start = std::strchr(line + pos, '-');
        if (!start) return 1;
        const char* word_start = start + 1;
        const char* blank = std::strchr(word_start, ' ');
        bool last = blank == nullptr;
        std::string word = last ? std::string(word_start) : std::string(word_start, blank);
        pos = last ? length : static_cast<size_t>(blank - line) + 1;
        for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const OptionRow* row = find_option(word);
        if (!row) return 0;
        row->apply();
        if (last) return 1;
    }
}
