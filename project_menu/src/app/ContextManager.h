#pragma once
// The stack of screens and the root context of every engine frame. Its
// children are the screens, the last child the top. Each frame it pops
// finished screens, tells a screen when it becomes or stops being the top,
// ticks only the top, turns Escape, the players' fire keys and mouse clicks
// into the closing of the top screen (asking "Are you sure?" first where the
// screen wants it), and draws the top with the mouse pointer, the screen-change
// fader and the frame-rate text above it. Notices for the player that engine
// code posted are shown in a dialog over the top screen. Once the last screen
// is gone it raises bQuit and the program ends after that frame; the player
// closing the last screen first has the saves written (QuitSaves).
#include "core/Context.h"
#include "QuitSaves.h"

class MousePointer;
class RadialFader;

class ContextManager : public Context {
public:
    // Needs the texture registered as "mousePointer".
    ContextManager();
    // Deletes the pointer and fader layers; screens still on the stack are
    // detached, not deleted.
    ~ContextManager() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;

    // Only the top screen's objects can be under the mouse, and only while
    // it shows the pointer.
    PlimBase* pick(int& n) override;
    void tickContents(double time, double dt) override;
    void renderContents() override;

    // Clears the screen's bDone and makes it the top; it is activated in the
    // next tick.
    void push(Context* screen);
    // The top screen; null when the stack is empty.
    Context* getTop() const;
    // The top screen shows the mouse pointer (drawn above it).
    bool pointerShown() const;
    // Closes every screen on the stack, top first, as if each were done
    // (deleting those that delete themselves when done), so that a program
    // ended by its window or a signal leaves no screen behind.
    void closeAll();
    // The player ends the game from a screen (a link that opened): every
    // screen is done, and the next frame closes them as a quit, so a save that
    // fails is asked about first.
    void quitByPlayer();

    bool bQuit = false;
    Context* pointerLayer = nullptr; // owned; its only child is pointer
    MousePointer* pointer = nullptr;
    Context* faderLayer = nullptr;   // owned; its only child is fader
    RadialFader* fader = nullptr;
    Context* activeScreen = nullptr; // the screen last activated and not popped since
    Context* currentTop = nullptr;   // the top as this frame's tick found it
    float shownFps = 0.0f;
    double nextFpsRefresh = 0.0;
    int quitAnswer = -1; // the quit question's answer: 0 yes, 1 no
    QuitSaves quitSaves;

private:
    // playerQuits: the player's own closing, which writes the saves before
    // the last screen goes.
    void popFinished(bool playerQuits);
    // No screen beneath it stays open (finished ones go when uncovered).
    bool isLastOpen(Context* screen) const;
    void activateTop();
    void handleKeys(Context* top);
    void openQuitQuestion();
    // Pending notices for the player (a damaged or unsaved file) in one dialog.
    void showNotices();
    void drawFpsText();
    void drawFpsGraph();
};
