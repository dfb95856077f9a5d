// Frame events: an animation acts on the match at the right instant. Each
// row's event string holds one handler number a frame; a channel crossing
// from frame k to k + 1 runs handler string[k] with the man.
#pragma once

#include "match/match_records.h"

#include <cstdint>

enum { FRAME_EVENT_COUNT = 54 };

using FrameEventHandler = void (*)(PlayerSlot* man);
extern const FrameEventHandler frame_event_handlers[FRAME_EVENT_COUNT];

// Runs the event of row `animation` at whole frame `frame`. A frame outside
// the script (before it or at its end byte) fires nothing.
void fire_frame_event(PlayerSlot* man, uint32_t animation, int32_t frame);

// The two derived frames of a row (frame + 1; 0 none).
int32_t anim_contact_frame(uint32_t animation);
int32_t anim_release_frame(uint32_t animation);
