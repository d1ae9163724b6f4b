#pragma once
// The program's message box: a screen pushed over the one that opened it, with
// an optional title, a wrapped text in a framed panel and up to two buttons.
// It writes the number of the clicked button into an integer its caller owns
// (-1 while open or when closed without a button) and closes itself.
// Callers set the texts and pAnswer, call build, then push it.
#include "core/Context.h"
#include "util/UString.h"
#include "util/V3.h"

class MenuButton;

class ContextDialog : public Context {
public:
    ContextDialog();
    ~ContextDialog() override;

    // Lays the dialog out from its texts; writes -1 to the answer.
    void build();
    // A built yes/no question (answer 0 yes, 1 no), ready to push.
    static ContextDialog* question(const UString& title, const UString& text, int* answer);

    // Plays "pop" the first time the dialog is the top.
    void onActivate(bool firstTime) override;
    // Ticks the buttons, then reads their clicks.
    void tickContents(double time, double dt) override;
    // The screen beneath as it stood, dimmed (ScreenBeneath), then the dialog.
    void renderContents() override;

    V3 position;   // the centre, in the default camera's units
    UString title; // above the text when not empty
    UString text;  // wrapped; "|" breaks a line
    UString label1; // first button; empty: none
    UString label2; // second button; empty: none
    int* pAnswer = nullptr; // the caller's; must outlive the dialog
    MenuButton* pButton1 = nullptr; // children
    MenuButton* pButton2 = nullptr;
};
