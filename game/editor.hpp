// The level editor's state and sections, shared by its files.
#pragma once

#include "tobrix.hpp"

// The block for the left button and for the right one, the dialog (0 editing, 1 choosing a
// slot to save to, 2 choosing a level to load), the saved flag (1 when nothing is unsaved),
// the level slot being edited, the camera's target, the palette block under the mouse, the
// movement style the editor shows, and 1 while the editor runs.
extern int32_t currentblock, rightblock, dialogmode, savedflag, editslot;
extern int32_t cameratargetx, cameratargety, hoverblock, editstyle, editorrunning;
// Escape pressed in this frame (not held from before) while no text line is typed.
extern int32_t escapehit;

void editor_draw_map();
void editcell();
void editor_palette();
void editor_top_buttons();
void editor_slots();
int32_t button(int32_t x, int32_t y, const String& text);
void forgettosave();
void noteslots();
