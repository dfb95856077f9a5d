// "devconfig.dat", the saved 3D device choice.
#include "fuzz/harness.h"

#include "gl3d/d3d.h"

FUZZ_HARNESS(devconfig)
{
    devconfig_record record;
    devconfig_read(fuzz_user_file("devconfig.dat", data, size).c_str(), &record);
}
