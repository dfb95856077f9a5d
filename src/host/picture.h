// The game's picture: everything is drawn for 640 x 480 and scaled to fit
// the window or screen with its 4:3 shape kept.
#pragma once

constexpr int PICTURE_WIDTH = 640;
constexpr int PICTURE_HEIGHT = 480;
