// ".frm" formation files, read back into a line-up.
#include "fuzz/harness.h"

#include "frontend/saved_files.h"

FUZZ_HARNESS(formation_file)
{
    TeamLineup record = default_formation;
    load_formation_file(fuzz_user_file("user formation.frm", data, size).c_str(), record);
}
