// Provisional: the line-up screen's formation slots, until that screen's
// module defines them.
#pragma once

void clear_formation_slots();
