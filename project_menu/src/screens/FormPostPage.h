#pragma once
// What the screens that send a form post share: a title, a message list
// opened by three lines, Cancel on the left and Next on the right, and the
// outcome of the post listed line by line once it is known.
#include "util/UString.h"

class HttpFormPost;
class MenuButton;
class MessageViewer;
class PlimBase;

class FormPostPage {
public:
    struct Parts {
        MessageViewer* messageViewer; // a child of the screen
        MenuButton* nextButton;       // a child of the screen
    };

    // Adds the title, the message list with the intro and both buttons to screen.
    static Parts build(PlimBase* screen, const UString& title, const UString (&intro)[3]);
    // Polls the post: on failure lists why; when it is done lists the reply,
    // and Next, enabled again, reads Finish. Returns the polled status.
    static int showOutcome(HttpFormPost* post, MessageViewer* viewer, MenuButton* nextButton);
};
