void clear_formation_slots();
int main() { clear_formation_slots(); }
