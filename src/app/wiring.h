#pragma once

class Form1;

// Connects the window's controls to their handlers and adds the menus and
// drop targets the features provide. Only the program sees both the window
// and every feature, so the wiring lives here; a window made without it shows
// its controls and does nothing.
void connectHandlers(Form1& form);
