// A held ball goes where its holder's pose carries it: in his hand, or at his
// chest when his animation does not carry a ball of its own. The match places
// it every tick, so a drawn match and a headless one play the same; the
// display only draws it there.
#pragma once

#include <cstdint>

struct PlayerSlot;

// The heading a man is drawn with (some animations turn him from his facing).
uint8_t drawn_facing(const PlayerSlot* man);
// 1 when the animation he shows (the secondary while it runs) carries the
// ball in his hand, 0 when his figure carries it (drawn with the ball-in-hand
// model).
int32_t ball_in_his_hand(const PlayerSlot* man);
// Puts the ball with this holder; the same answer as ball_in_his_hand.
int32_t place_held_ball(const PlayerSlot* holder);
// Puts the ball with whoever holds it (a player or an umpire); nothing when
// it is free.
void place_ball_with_holder();
