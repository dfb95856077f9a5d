// STAND-IN (until issue 28, the team screens, builds the pre-match hub):
// the pre-match screen loop a competition runs before a human team's next
// round. Same name as the real one; delete when it lands.
#pragma once

void run_prematch_screen_loop();
