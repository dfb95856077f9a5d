// STAND-IN (until issue 15 lands it): the loose-ball pickup assignment of the set-play director, not
// built yet (the open-play landing contest, contest_ball_landing, made some
// matches stall when tried; see the issue notes).
#pragma once

// The loose-ball pickup assignment run while the ball has not bounced.
void assign_loose_ball_pickup();
