// Callbacks the library's timer thread runs on every tick, in slot order.
#pragma once

void addtimer(void (*callback)());
void removetimer(void (*callback)());
void cleartimers();
int timercount();
// The timer thread's round of the list.
void runtimers();
