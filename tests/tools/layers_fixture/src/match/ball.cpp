#include "match/ball.h"
#include "platform/files.h"
#include "standin/stand_ins.h"
#include "host/window.h"
#include <GL/gl.h>
void f() { SDL_Delay(1); }
