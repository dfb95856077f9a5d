// The software display's man sprite files: the shared "kob.spr" (the first
// half of the input) and a club's "Team.dwd" against a fixed "Team.spr".
#include "fuzz/harness.h"

#include "lib/sw_write.h"
#include "swrender/sw_resources.h"

#include <string>

FUZZ_HARNESS(sw_sprites)
{
    size_t half = size / 2;
    fuzz_data_file("sw team gfx\\kob.spr", data, half);
    KitManFrame f;
    f.width = 3;
    f.height = 2;
    f.texels = {1, 2, 3, 4, 5, 6};
    std::vector<uint8_t> spr = kit_man_sprites({f, f, f}, nullptr);
    for (const char* side : {"home", "away"}) {
        std::string dir = std::string("sw team gfx\\") + team_sprite_dirs[0] + "\\spr\\CCup\\" + side + "\\";
        fuzz_data_file((dir + "Team.spr").c_str(), spr.data(), spr.size());
        fuzz_data_file((dir + "Team.dwd").c_str(), data + half, size - half);
        fuzz_data_file((dir + "Team.pal").c_str(), data, std::min<size_t>(size, 800));
    }
    struct Release {
        ~Release()
        {
            free_team_sprites();
            free_sprite_buffer();
        }
    } release;
    load_team_sprites(0, 0);
    init_sprite_system("sw team gfx\\kob.spr", nullptr, nullptr);
}
