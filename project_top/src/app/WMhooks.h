#pragma once
// The program's entry loop and the window hooks around the engine frame.
// SDL_main drains SDL's events each pass (Alt+F4, Cmd+F4, SDL_QUIT and a
// hang-up signal ask to quit after the frame; a mouse press takes the pointer; input focus changes
// set the engine's focus flag), hands every event to the engine and runs one
// frame through doFrame. The first frame creates the engine and the
// application object; shutdown deletes them.
class Global;

int SDL_main(int argc, char** argv);
// One engine frame over the screen stack; false once the stack's bQuit is set.
bool doFrame();
void onMouseButtonDown(int x, int y);
void windowFocusGained();
void windowFocusLost();
// Pauses audio, deletes the application object and the engine, and says on
// standard error what could not be saved on the way.
void shutdown();
// The display's I/O error handler calls this (see DisplayLink): the game ends
// as on a hang-up, saves written. Before the first frame has run, or once the
// shutdown has begun, it does nothing.
void endAfterLostDisplay();

// Makes the application object in the first frame: the game's MyGlobal
// unless a test program installs its own before calling SDL_main.
typedef Global* (*ApplicationFactory)();
extern ApplicationFactory applicationFactory;
