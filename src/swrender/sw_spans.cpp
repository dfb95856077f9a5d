// The span tables of the software path.
#include "swrender/sw_spans.h"

#include "host/picture.h"
#include "screen/screen.h"

#include <algorithm>
#include <cstring>

sw_span sw_span_table[SW_SPAN_ROWS];
sw_span sw_outer_span_table[SW_SPAN_ROWS];
sw_span sw_clip_span_table[SW_SPAN_ROWS];
sw_wide_span sw_wide_span_table[SW_SPAN_ROWS];
sw_span_tex sw_span_tex_table[SW_SPAN_ROWS];
uint32_t sw_row_side_table[SW_SPAN_ROWS];
uint32_t sw_span_row_flags[SW_SPAN_ROWS];
sw_edge_record sw_edge_records[SW_EDGE_RECORDS][2];

int32_t sw_screen_height()
{
    int32_t rows = screen.height ? int32_t(screen.height) : int32_t(PICTURE_HEIGHT);
    return std::min(rows, SW_SPAN_ROWS);
}

int32_t sw_centre_row() { return screen.half_height ? int32_t(screen.half_height) : int32_t(PICTURE_HEIGHT / 2); }

void reset_sw_spans()
{
    std::memset(sw_span_table, 0, sizeof sw_span_table);
    std::memset(sw_outer_span_table, 0, sizeof sw_outer_span_table);
    std::memset(sw_clip_span_table, 0, sizeof sw_clip_span_table);
    std::memset(sw_wide_span_table, 0, sizeof sw_wide_span_table);
    std::memset(sw_span_tex_table, 0, sizeof sw_span_tex_table);
    std::memset(sw_row_side_table, 0, sizeof sw_row_side_table);
    std::memset(sw_span_row_flags, 0, sizeof sw_span_row_flags);
    std::memset(sw_edge_records, 0, sizeof sw_edge_records);
}
