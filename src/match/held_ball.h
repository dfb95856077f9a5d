// A held ball goes where its holder's pose carries it: in his hand, or at his
// chest when his animation does not carry a ball of its own. The frame does
// this before its ticks.
#pragma once

#include <cstdint>

struct PlayerSlot;

// The heading a man is drawn with (some animations turn him from his facing).
uint8_t drawn_facing(const PlayerSlot* man);
// Puts the ball with its holder; 1 when it went into his hand, 0 when his
// figure carries it (drawn with the ball-in-hand model).
int32_t place_held_ball(const PlayerSlot* holder);
