#include "ContextNetworkWizard1.h"

#include "ContextHelp.h"
#include "ContextMain.h"
#include "app/ContextManager.h"
#include "ContextNetworkWizard3.h"
#include "ContextPre.h"
#include "app/Global.h"
#include "language/Language.h"
#include "core/Logger.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuPlate.h"
#include "widgets/MessageViewer.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "files/PrintableText.h"
#include "RenderableText.h"
#include "net/NetAddress.h"
#include "net/NetConnection.h"
#include "online/AddressReply.h"
#include "online/HttpFormPost.h"

#include <cstring>

namespace {

const char* text(int id) { return PLIM->language->getText(id); }


// A NUL-terminated field of the saved block's header, read within its size.
UString headerText(const char* field, size_t size) {
    return UString(field, strnlen(field, size));
}

} // namespace

const char* const ContextNetworkWizard1::TEST_PATH = "/corvana2/nettest.php";
const char* const ContextNetworkWizard1::NOT_AN_ADDRESS = "The answer to the test is not an address.";

ContextNetworkWizard1::ContextNetworkWizard1() {
    bDeleteWhenDone = true;
    preContext = gGlobal->contextPre;
    SaveData& data = gGlobal->saveData;
    bWasFullScreen = data.bFullScreenOption != 0;
    bRunTestOnDesktop = data.bNetworkTested ? 0 : 1;

    const int w = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    addChild(MenuPlate::pageTitle(text(Language::STR_NETWORKWIZARD)));

    messageViewer = new MessageViewer();
    messageViewer->y = -0.5f * float(messageViewer->maxLines) * messageViewer->lineStep;
    addChild(messageViewer);
    messageViewer->addMessage(text(Language::STR_NETTESTINTRO1));
    messageViewer->addMessage("");
    messageViewer->addMessage(text(Language::STR_NETTESTINTRO2));
    messageViewer->addMessage(text(Language::STR_NETTESTINTRO3));
    messageViewer->addMessage(text(Language::STR_NETTESTINTRO4));

    MenuButtonQuit* cancel = new MenuButtonQuit(float(-w / 2 + 100), float(-h / 2 + 50), 0.0f, text(Language::STR_CANCEL), "");
    cancel->setWidth(128);
    addChild(cancel);
    nextButton = new MenuButton(float(w / 2 - 100), float(-h / 2 + 50), 0.0f, text(Language::STR_NEXT), "");
    nextButton->setWidth(128);
    addChild(nextButton);
    helpButton = new MenuButton(0.0f, float(-h / 2 + 50), 0.0f, text(Language::STR_HELP), "");
    helpButton->setWidth(128);
    addChild(helpButton);
    desktopCheckBox = new MenuBool(float(w / 2 - 100), float(-h / 2 + 100), 0.0f, text(Language::STR_RUNTESTONDESKTOP),
                                   text(Language::STR_RUNTESTONDESKTOPHINT), &bRunTestOnDesktop);
    addChild(desktopCheckBox);
    if (!bWasFullScreen) {
        desktopCheckBox->bDisabled = true;
        desktopCheckBox->bHidden = true;
    }
}

ContextNetworkWizard1::~ContextNetworkWizard1() {
    HttpFormPost::release(post);
    restoreDisplayMode();
}

void ContextNetworkWizard1::restoreDisplayMode() {
    SaveData& data = gGlobal->saveData;
    if ((data.bFullScreenOption != 0) == bWasFullScreen) return;
    data.bFullScreenOption = bWasFullScreen ? 1 : 0;
    gGlobal->applySettings();
}

void ContextNetworkWizard1::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);
    if (post) showOutcome(post->poll());

    if (nextButton->wasClicked()) {
        if (!post) {
            desktopCheckBox->bDisabled = true;
            desktopCheckBox->bHidden = true;
            SaveData& data = gGlobal->saveData;
            if (bRunTestOnDesktop && data.bFullScreenOption) {
                // Leaves full screen at the end of the frame; the next Next starts the test.
                data.bFullScreenOption = 0;
                gGlobal->applySettings();
            } else {
                startTest();
            }
        } else {
            bDone = true;
            restoreDisplayMode();
            gGlobal->contextManager->push(new ContextNetworkWizard3());
        }
    }
    if (helpButton->wasClicked()) gGlobal->contextManager->push(new ContextHelp());
}

void ContextNetworkWizard1::startTest() {
    nextButton->bDisabled = true;
    messageViewer->addMessage(text(Language::STR_STARTINGDOTS));
    // The port is open while the test starts, so a firewall asks about it now.
    NetAddress any;
    any.set(0, NET_TEST_PORT);
    NetConnection* endpoint = new NetConnection(any, false);

    post = new HttpFormPost(ContextMain::WEB_SERVICE_HOST, TEST_PATH);
    const SaveData& data = gGlobal->saveData;
    UString gameName = headerText(data.buildName, sizeof data.buildName);
    UString gameVersion = headerText(data.version, sizeof data.version);
    post->addField("gameName", "", gameName.c_str(), int(gameName.length()));
    post->addField("gameVersion", "", gameVersion.c_str(), int(gameVersion.length()));
    post->send();
    delete endpoint;
}

void ContextNetworkWizard1::showOutcome(int status) {
    if (status != HttpFormPost::FAILED && status != HttpFormPost::DONE) return;
    uint32_t ip = 0;
    uint16_t port = 0;
    if (status == HttpFormPost::DONE && parseAddressReply(post->reply.c_str(), &ip, &port)) {
        gGlobal->saveData.externalAddress.set(ip, port);
        messageViewer->addMessage(text(Language::STR_NETTESTSUCCESS));
        messageViewer->addMessage(text(Language::STR_DONEDOT));
    } else {
        // Any other answer (a proxy's page, a captive portal) says nothing of
        // this machine: the test failed, and the address of the last test that
        // went through stays.
        if (status == HttpFormPost::DONE)
            logTagged("showOutcome", "The connection test's answer is not an address: '%s'",
                      printableText(post->reply.str().substr(0, 200)).c_str());
        messageViewer->addMessage(status == HttpFormPost::DONE ? UString(NOT_AN_ADDRESS) : post->message);
        messageViewer->addMessage(text(Language::STR_CHECKCONNECTION));
        messageViewer->addMessage(text(Language::STR_NETTESTFAIL1));
    }
    nextButton->bDisabled = false;
}
