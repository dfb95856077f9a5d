// The stand-in nobody deleted.
void clear_formation_slots() {}
