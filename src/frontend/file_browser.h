// The file browser: one screen for every choice of a file or a directory
// (replays, games and formations to load, save or delete, the data and
// install directories). It lists the places to start from (the user
// directory, home and the root; there are no network drives), the
// sub-directories and the files of the current directory that match the
// mode's pattern, and takes a typed name. Its lists are built here too.
// Names are kept whole; only the game's fixed fields truncate.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>
#include <string>
#include <vector>

enum : int32_t {
    BROWSER_LOAD_REPLAY = 0,
    BROWSER_LOAD_GAME = 1,
    BROWSER_SAVE_REPLAY = 2,
    BROWSER_SAVE_GAME = 3,
    BROWSER_DELETE = 4,
    BROWSER_DATA_PATH = 5,
    BROWSER_INSTALL_PATH = 6,
    BROWSER_LOAD_FORMATION = 7,
    BROWSER_SAVE_FORMATION = 8,
    BROWSER_LOAD_TEAM = 9,
    BROWSER_SAVE_TEAM = 10,
    BROWSER_LOAD_BADGE = 11,
    BROWSER_LOAD_STRIP = 12,
    BROWSER_MODES = 13,
};
constexpr size_t BROWSER_PATH_LIMIT = 519; // the data path's field, less its end

constexpr int32_t BROWSER_LIST_CAPACITY = 50; // names; an empty name follows
constexpr uint32_t BROWSER_ATTRIBUTE_FILE = 32;
constexpr uint32_t BROWSER_ATTRIBUTE_READ_ONLY = 1;
constexpr uint32_t BROWSER_ATTRIBUTE_DIRECTORY = 16;

struct BrowserList {
    std::vector<std::string> names;  // ends in an empty name
    std::vector<uint8_t> has_children; // directories: 1 when they hold one of their own
};

// A directory entry's attribute word: 16 a directory, 32 a file, plus 1 for
// a file that may not be written; 0 for anything else or nothing there.
uint32_t browser_attribute(const std::string& path);

// Lists the entries of directory that match pattern ("*.EXT" by extension
// without regard to case, "*." or "*" everything) and whose attribute word
// is exactly attribute, leaving out names that start with ".". They are
// stored from slot first on, up to the capacity, sorted byte by byte among
// themselves, and followed by an empty name. Returns how many were stored.
int32_t list_directory(BrowserList& list, int32_t capacity, const std::string& directory, const char* pattern,
                       uint32_t attribute, int32_t first);
// For each listed directory below base, whether it has sub-directories.
void mark_directories_with_children(BrowserList& list, const std::string& base);

// A directory joined to a name with one "/" between them.
std::string join_browser_path(const std::string& directory, const std::string& name);

// Makes the typed directory: a name starting with "/" is taken whole, any
// other is joined to base. When it is made, or is there already, base
// becomes it and the result is true.
bool make_browser_directory(std::string& base, const std::string& name);

// The screen, set up by the caller with browser_mode and
// set_browser_background before it is run.
extern menu_screen file_browser_screen;
extern int32_t browser_mode;
// Set when a replay has been loaded and reported.
extern uint8_t replay_loaded;

struct FileBrowserState {
    std::string directory; // the current directory, never ending in "/" but at the root
    std::vector<std::string> drive_paths;
    BrowserList drives, directories, files;
    char entry[256];          // the typed name
    char new_directory[256];  // mode 6's new-directory entry
    control_list* controls;
    control *drive_list, *directory_list, *file_list, *entry_field, *new_directory_field;
    // Changes asked for by a click, made at the start of the next frame.
    std::string pending_directory;
    uint8_t rebuild_pending;
};
extern FileBrowserState file_browser_state;

void set_browser_background(int32_t mode);
// Runs the screen in a mode; the line-up screen's two formation buttons
// open it through the named ones.
void run_file_browser(int32_t mode);
void load_formation_dialog();
void save_formation_dialog();
void file_browser_open(menu_screen* screen);
void file_browser_frame(menu_screen* screen);
void browser_close(menu_screen* screen);

// The mode's final action on a path: loads, saves, deletes or takes the
// directory, reports the outcome and leaves the screen's result (1 closes
// it). 1 on success, 0 after the failure has been reported.
int32_t browser_action(const std::string& path);
// A file chosen from the list by the mouse or Delete: in the saving modes
// the overwrite question comes first, and No does nothing.
void choose_browser_file(const std::string& name);
// The list's second handler, for a file chosen by a key: acts at once. In
// mode 8 the name goes into the entry field first. Only a save of a game or
// a formation onto a file that is there still asks. In a frame in which the
// left button is newly pressed it only clears the result (the mouse's click
// is the first handler's).
void act_on_browser_file(const std::string& name);
// The entry field's Enter: the typed name, with the mode's extension in
// modes 2 and 3, below the current directory.
void browser_typed_name();
// The accept button: the current directory itself in modes 5 and 6, else
// the typed name below it.
void browser_accept();
// A drive's or a sub-directory's path made the current directory.
void enter_browser_directory(const std::string& path);
// Mode 6: the directory typed into the new-directory entry.
void new_directory();

// A path with its last component's extension cut at its last "." and
// extension put on; and with replace_extension's rule (other dots blanked).
std::string with_browser_extension(const std::string& path, const char* extension);
std::string replace_browser_extension(const std::string& path, const char* extension);

// Tests.
void reset_file_browser();
