// Provisional: the event source's own key table replaces this file.
#include "host/provisional_keymap.h"

namespace {

struct KeyRow {
    SDL_Scancode scancode;
    uint8_t code;
};

const KeyRow key_rows[] = {
    {SDL_SCANCODE_ESCAPE, 1},   {SDL_SCANCODE_1, 2},         {SDL_SCANCODE_2, 3},       {SDL_SCANCODE_3, 4},
    {SDL_SCANCODE_4, 5},        {SDL_SCANCODE_5, 6},         {SDL_SCANCODE_6, 7},       {SDL_SCANCODE_7, 8},
    {SDL_SCANCODE_8, 9},        {SDL_SCANCODE_9, 10},        {SDL_SCANCODE_0, 11},      {SDL_SCANCODE_TAB, 15},
    {SDL_SCANCODE_Q, 16},       {SDL_SCANCODE_W, 17},        {SDL_SCANCODE_E, 18},      {SDL_SCANCODE_R, 19},
    {SDL_SCANCODE_T, 20},       {SDL_SCANCODE_Y, 21},        {SDL_SCANCODE_U, 22},      {SDL_SCANCODE_I, 23},
    {SDL_SCANCODE_O, 24},       {SDL_SCANCODE_P, 25},        {SDL_SCANCODE_RETURN, 28}, {SDL_SCANCODE_LCTRL, 29},
    {SDL_SCANCODE_A, 30},       {SDL_SCANCODE_S, 31},        {SDL_SCANCODE_D, 32},      {SDL_SCANCODE_F, 33},
    {SDL_SCANCODE_G, 34},       {SDL_SCANCODE_H, 35},        {SDL_SCANCODE_J, 36},      {SDL_SCANCODE_K, 37},
    {SDL_SCANCODE_L, 38},       {SDL_SCANCODE_LSHIFT, 42},   {SDL_SCANCODE_Z, 44},      {SDL_SCANCODE_X, 45},
    {SDL_SCANCODE_C, 46},       {SDL_SCANCODE_V, 47},        {SDL_SCANCODE_B, 48},      {SDL_SCANCODE_N, 49},
    {SDL_SCANCODE_M, 50},       {SDL_SCANCODE_RSHIFT, 54},   {SDL_SCANCODE_LALT, 56},   {SDL_SCANCODE_SPACE, 57},
    {SDL_SCANCODE_F1, 59},      {SDL_SCANCODE_F2, 60},       {SDL_SCANCODE_F3, 61},     {SDL_SCANCODE_F4, 62},
    {SDL_SCANCODE_F5, 63},      {SDL_SCANCODE_F6, 64},       {SDL_SCANCODE_F7, 65},     {SDL_SCANCODE_F8, 66},
    {SDL_SCANCODE_F9, 67},      {SDL_SCANCODE_F10, 68},      {SDL_SCANCODE_KP_ENTER, 156},
    {SDL_SCANCODE_RCTRL, 157},  {SDL_SCANCODE_RALT, 184},    {SDL_SCANCODE_UP, 200},    {SDL_SCANCODE_LEFT, 203},
    {SDL_SCANCODE_RIGHT, 205},  {SDL_SCANCODE_DOWN, 208},
};

} // namespace

uint8_t host_key_code(SDL_Scancode scancode)
{
    for (const KeyRow& row : key_rows)
        if (row.scancode == scancode) return row.code;
    return 0;
}
