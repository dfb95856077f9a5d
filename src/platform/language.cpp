#include "platform/language.h"
#include "host/picture.h"

#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{

struct language_slot {
    uint8_t* file;
    uint32_t size;
    uint32_t texts; // the table's entries: the first text ends it
};

language_slot slots[LANGUAGE_SLOTS];
language_slot* current_language = &slots[0];

char** last_lines = nullptr;
int32_t last_line_count = 0;

using measure_fn = int32_t (*)(const char* text, const void* context);

TextMeasure g_measure{};

int32_t measure_font(const char* text, const void*)
{
    return g_measure.width ? g_measure.width(text) : 0;
}

int32_t measure_table(const char* text, const void* context)
{
    const uint8_t* widths = static_cast<const uint8_t*>(context);
    int32_t width = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        if (*p >= 32) width += static_cast<int8_t>(widths[*p - 29]);
    return width;
}

// The lines being built: each buffer can take the whole text, so no line
// overflows however the words fall.
struct line_builder {
    char** lines;
    int32_t index;
    uint32_t size;
    size_t used;

    void start(uint32_t first_size)
    {
        std::fill(lines, lines + MAX_TEXT_LINES, nullptr);
        lines[0] = static_cast<char*>(alloc_mem(first_size, "format_array[0]"));
        lines[0][0] = '\0';
        index = 0;
        used = 0;
    }
    void new_line()
    {
        if (index >= MAX_TEXT_LINES - 1) return; // the last line takes the rest
        ++index;
        lines[index] = static_cast<char*>(alloc_mem(size, "format_array[*lines_formatted]"));
        lines[index][0] = '\0';
        used = 0;
    }
    void append(const char* text, size_t length)
    {
        uint32_t capacity = index == 0 ? first_size_of_line0 : size;
        size_t room = capacity - 1 - used;
        if (length > room) length = room;
        std::memcpy(lines[index] + used, text, length);
        used += length;
        lines[index][used] = '\0';
    }
    uint32_t first_size_of_line0;
};

int32_t layout(char** lines, int32_t* line_count, const char* text, int32_t width, measure_fn measure,
               const void* context, uint32_t first_line_size)
{
    if (width < 0) width = 0;
    const int32_t whole = measure(text, context);
    int32_t target = whole;
    for (int32_t k = 2; target > width; ++k)
        target = whole / k;
    *line_count = 0;
    if (!*text) return 0;

    const uint32_t length = static_cast<uint32_t>(std::strlen(text));
    line_builder b{lines, 0, std::max(TEXT_LINE_SIZE, length + 256), 0, 0};
    b.first_size_of_line0 = std::max(first_line_size, length + 256);
    b.start(b.first_size_of_line0);
    char* working = static_cast<char*>(alloc_mem(length + 256, "working_text_block"));
    std::memcpy(working, text, length + 1);

    std::string candidate;
    for (char* word = working; *word;) {
        char* blank = std::strchr(word, ' ');
        bool last = blank == nullptr;
        candidate.assign(word, last ? std::strlen(word) : static_cast<size_t>(blank - word) + 1);
        word = last ? word + candidate.size() : blank + 1;

        const int32_t line_width = measure(b.lines[b.index], context);
        if (line_width + measure(candidate.c_str(), context) > width || line_width > target) b.new_line();
        if (last) {
            b.append(candidate.data(), candidate.size());
            break;
        }
        // Each line feed inside the word starts a new line; every piece stays.
        size_t start = 0;
        for (size_t feed; (feed = candidate.find('\n', start)) != std::string::npos; start = feed + 1) {
            b.append(candidate.data() + start, feed - start);
            b.new_line();
        }
        b.append(candidate.data() + start, candidate.size() - start);
    }
    free_mem(working);
    *line_count = b.index + 1;
    last_lines = lines;
    last_line_count = *line_count;
    return *line_count;
}

} // namespace

static uint32_t control_walk_end(const uint8_t* file, uint32_t size, uint32_t at)
{
    while (at < size && file[at] != 0) at += file[at] == 1 ? 2 : file[at] == 2 || file[at] == 3 ? 3 : 1;
    return at;
}

namespace
{

std::string file_fault(const uint8_t* file, uint32_t size, uint32_t* texts)
{
    if (size < 3) return "too short to hold a text";
    // The table ends where the first text begins.
    uint32_t table_end = size, last_end = 0;
    for (uint32_t number = 0; 2 * number + 2 <= table_end; ++number) {
        const uint32_t offset = file[2 * number] | file[2 * number + 1] << 8;
        const std::string text = "text " + std::to_string(number);
        if (offset < 2 * number + 2) return text + " starts inside the table of offsets";
        if (offset >= size) return text + " starts past the end of the file";
        if (offset < table_end) table_end = offset;
        // Walked as the text drawer walks it: control bytes carry their
        // arguments, so an argument may not run into the end of the file.
        const uint32_t end = control_walk_end(file, size, offset);
        if (end >= size) return text + " runs past the end of the file";
        if (end > last_end) last_end = end;
    }
    if (last_end != size - 1) return "bytes after the last text";
    if (texts) *texts = table_end / 2;
    return {};
}

} // namespace

std::string language_file_fault(const uint8_t* file, uint32_t size) { return file_fault(file, size, nullptr); }

uint8_t* load_language_text()
{
    const char* name = data_path("front_en\\lang\\english.dat");
    uint32_t size = 0;
    uint8_t* file = load_file(name, &size);
    uint32_t texts = 0;
    const std::string fault = file_fault(file, size, &texts);
    if (!fault.empty()) {
        free_mem(file);
        const std::string text = data_file_on_disk(name) + "\nnot a language file: " + fault;
        fatal_error_sub(FATAL_CANT_LOAD_FILE, 0, text.c_str(), 0);
    }
    language_slot& english = slots[0];
    // Loaded again at each match hand-over: screens still hold texts of the
    // copy in use, so an unchanged file keeps that copy.
    if (english.file && english.size == size && std::memcmp(english.file, file, size) == 0) {
        free_mem(file);
        return english.file;
    }
    if (english.file) free_mem(english.file);
    english = {file, size, texts};
    return file;
}

void reset_language_text()
{
    free_text_lines();
    for (language_slot& slot : slots) {
        if (slot.file) free_mem(slot.file);
        slot = {};
    }
    current_language = &slots[0];
}

void select_language(int16_t language)
{
    if (language >= 0 && language < LANGUAGE_SLOTS) current_language = &slots[language];
}

const char* get_text(uint16_t number)
{
    const language_slot& slot = *current_language;
    // A number past the table would take the bytes of a text for an offset.
    if (!slot.file || number >= slot.texts) return "";
    uint32_t entry = 2u * number;
    uint32_t offset = slot.file[entry] | slot.file[entry + 1] << 8;
    if (offset >= slot.size || !std::memchr(slot.file + offset, 0, slot.size - offset)) return "";
    return reinterpret_cast<const char*>(slot.file + offset);
}

char* string_copy(char* destination, const char* source)
{
    return std::strcpy(destination, source);
}

int32_t string_length(const char* text)
{
    return static_cast<int32_t>(std::strlen(text));
}

char* string_append(char* destination, const char* source)
{
    return std::strcat(destination, source);
}

void set_text_measure(const TextMeasure& measure) { g_measure = measure; }

int32_t format_text_lines(char* lines[MAX_TEXT_LINES], int32_t* line_count, const char* text, int32_t width,
                          int16_t font)
{
    if (g_measure.select_font) g_measure.select_font(font);
    int32_t count = layout(lines, line_count, text, width, measure_font, nullptr, 0);
    return count && g_measure.height ? g_measure.height(lines[0]) * count : 0;
}

int32_t format_text_lines_with_widths(const uint8_t* widths, char* lines[MAX_TEXT_LINES], int32_t* line_count,
                                      const char* text, int32_t width)
{
    layout(lines, line_count, text, width, measure_table, widths, TEXT_LINE_SIZE);
    return widths[1];
}

void free_text_lines()
{
    if (!last_lines) return;
    for (int32_t i = 0; i < MAX_TEXT_LINES; ++i) {
        if (last_lines[i]) free_mem(last_lines[i]);
        last_lines[i] = nullptr;
    }
    last_lines = nullptr;
    last_line_count = 0;
}

uint32_t control_string_length(const char* text)
{
    const char* p = text;
    while (*p) {
        if (*p == 1)
            p += 2;
        else if (*p == 2 || *p == 3)
            p += 3;
        else
            ++p;
    }
    return static_cast<uint32_t>(p - text);
}
