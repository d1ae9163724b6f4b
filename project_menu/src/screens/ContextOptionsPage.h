#pragma once
// The frame every options screen shares: deleted when popped, drawn over the
// menu backdrop, a large title at the top and a Back button in the bottom-left
// corner that the screen adds after its own items. Items are laid out in
// field-of-view units (origin at the centre, y up), computed once.
#include "ContextMenu.h"
#include "util/UString.h"

class MenuButtonQuit;
class RenderableText;

class ContextOptionsPage : public ContextMenu {
public:
    explicit ContextOptionsPage(const UString& titleText);
    ~ContextOptionsPage() override;

    // The Back button; called once, after the page's own items.
    void addBackButton();

    // The field-of-view size (640 x 480 without a graphics part).
    static int viewWidth();
    static int viewHeight();
    // A language text in the current language.
    static const char* text(int id);

    RenderableText* title = nullptr;     // a child
    MenuButtonQuit* backButton = nullptr; // a child
};
