#pragma once
// Help: two links, the documentation shipped beside the data archive and the
// web service's online help, each opened in the browser as the game ends; and
// Back. Escape closes it too.
#include "ContextMenu.h"
#include "util/UString.h"

class MenuButtonQuit;
class MenuButtonURL;

class ContextHelp : public ContextMenu {
public:
    ContextHelp();
    ~ContextHelp() override;

    // "file://" + the working folder (the data folder) + "/readme.htm".
    static UString documentationUrl();
    static UString onlineHelpUrl();

    MenuButtonURL* documentation = nullptr; // a child
    MenuButtonURL* onlineHelp = nullptr;    // a child
    MenuButtonQuit* back = nullptr;         // a child
};
