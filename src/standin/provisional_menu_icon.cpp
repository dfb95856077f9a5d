// Provisional: icons are drawn by the front end's screens once they exist.
#include "standin/provisional_menu_icon.h"

void update_icon(menu_icon*) {}
