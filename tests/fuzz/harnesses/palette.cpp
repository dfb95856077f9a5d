// The front end's palette files: a club's face colours and the flag colours,
// whatever their length.
#include "fuzz/harness.h"

#include "frontend/frame_manifest.h"
#include "frontend/message_box.h"
#include "frontend/team_panels.h"

#include <string>

FUZZ_HARNESS(palette)
{
    const std::string face = std::string("front_en\\front_end_gfx\\face palettes\\") + CLUB_CODES[5] + "_face.pal";
    fuzz_data_file(face.c_str(), data, size);
    load_team_face_palette(0, 5);
    fuzz_data_file(FLAG_PALETTE, data, size);
    load_flag_palette();
}
