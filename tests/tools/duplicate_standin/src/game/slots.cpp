// The real definition, landed.
void clear_formation_slots() {}
