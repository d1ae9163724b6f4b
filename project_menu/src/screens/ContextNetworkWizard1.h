#pragma once
// The network wizard's test page: explains the test, can leave full screen
// first so that a firewall question shows on the desktop, opens the game's UDP
// port and asks the web service (a form post on its own thread) where it sees
// this machine; stores that address and shows the outcome. Next then opens
// the configuration page.
#include "ContextMenu.h"

#include <cstdint>

class HttpFormPost;
class MenuBool;
class MenuButton;
class MessageViewer;

class ContextNetworkWizard1 : public ContextMenu {
public:
    static const int NET_TEST_PORT = 23006;
    static const char* const TEST_PATH;
    // Shown when the test's answer is not an address: the test failed.
    static const char* const NOT_AN_ADDRESS;

    ContextNetworkWizard1();
    ~ContextNetworkWizard1() override;

    void tickContents(double time, double dt) override;

    MessageViewer* messageViewer = nullptr; // a child
    HttpFormPost* post = nullptr;           // owned; null until the test starts
    MenuButton* nextButton = nullptr;       // a child
    MenuButton* helpButton = nullptr;       // a child
    MenuBool* desktopCheckBox = nullptr;    // a child
    bool bWasFullScreen = false;
    uint8_t bRunTestOnDesktop = 0; // edited by desktopCheckBox

private:
    void startTest();
    void showOutcome(int status);
    void restoreDisplayMode();
};
