// Plain-text data files: values found by key, and lines read one by one.
#include "fuzz/harness.h"

#include "platform/text_reader.h"

FUZZ_HARNESS(config_text)
{
    fuzz_data_file("setup.txt", data, size);
    config_reader reader{};
    open_config_file(reader, "setup.txt");
    double d = 0;
    float f = 0;
    int32_t i = 0;
    char word[CONFIG_VALUE_SIZE];
    find_config_value(reader, "speed", CONFIG_DOUBLE, &d, " =\t", ";");
    find_config_value(reader, "scale", CONFIG_FLOAT, &f, " =", "\n");
    find_config_value(reader, "count", CONFIG_INT, &i, " =", "");
    find_config_value(reader, "name", CONFIG_WORD, word, " =", "#");
    while (reader.position < reader.length)
        if (parse_number(reader, CONFIG_INT, &i, " \r\n", "") == 0) break;
    char line[80];
    uint32_t position = 0;
    while (read_text_line(line, sizeof line, reader.buffer, reader.length, &position)) {
    }
    uint32_t at = 0;
    while (read_word(word, reader.buffer, &at, reader.length)) skip_line_ends(reader.buffer, &at, reader.length);
    close_config_file(reader);
}
