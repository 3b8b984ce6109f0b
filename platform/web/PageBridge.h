#ifndef VAULTREACH_PLATFORM_WEB_PAGEBRIDGE_H
#define VAULTREACH_PLATFORM_WEB_PAGEBRIDGE_H

// The JavaScript side of the browser platform (library_vaultreach.js), as C sees it.
//
// The page's host object (Module.host) receives the game's output, colours, caption, window
// offsets, prompts and what its drawings show; the page hands lines, end of input and the quit request to Module.vr, which keeps
// them in JavaScript until the game asks. Three calls wait (Asyncify suspends the game and the
// browser runs on meanwhile): vr_read_line, vr_sleep and vr_sync_folder. Every other call
// returns at once. Without a page (tests under node) output goes to the process's standard
// output and the other host calls do nothing.

extern "C" {

// Up to capacity bytes of the next typed line, its line end included (a longer line comes in
// several calls); 0 at end of input or once a quit was requested. Waits while nothing is typed.
int vr_read_line(char* buffer, int capacity);
// Game output as UTF-8 bytes; a character split between two calls is joined again.
void vr_write(const char* bytes, int count);
// Waits about the given milliseconds (one browser timer); a quit request ends it early.
void vr_sleep(int milliseconds);
int vr_quit_requested();
void vr_request_quit();
void vr_clear_quit();

void vr_set_colour(int attribute);
void vr_set_title(const char* title);
void vr_move_window(int dx, int dy);

// What the game is showing, for the page to render its meaning. A prompt's kind ("direction")
// and its choices, each "label\tanswer\n", just before the game reads the answer. Around the
// bytes of a drawing, its kind ("picture" or "map") and the words that stand for it (a
// picture's name; the map's sentence for each row, one a line).
void vr_prompt(const char* kind, const char* choices);
void vr_figure_begin(const char* kind, const char* text);
void vr_figure_end();

// Makes what was just written in folder durable in the browser's storage: 1 when it is, 0 when
// the storage refused it.
int vr_sync_folder(const char* folder);

// Audio: whether the browser gives the game an audio context (0, with its reason in error,
// when not), and a sound that will be fetched and decoded once the title is on screen (its
// SDL_mixer handle, 0 without audio).
int vr_audio_usable(char* error, int capacity);
int vr_audio_deferred(const char* path);
}

#endif
