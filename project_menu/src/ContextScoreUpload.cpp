#include "ContextScoreUpload.h"

#include "ContextMain.h"
#include "ContextPre.h"
#include "Global.h"
#include "Language.h"
#include "MenuButton.h"
#include "MenuButtonQuit.h"
#include "MessageViewer.h"
#include "Plim.h"
#include "PlimGraphics.h"
#include "PlimUtil.h"
#include "RenderableText.h"
#include "online/HttpFormPost.h"

namespace {

const char* text(int id) { return PLIM->language->getText(id); }

const int kCentreVertically = 0x10;

} // namespace

const char* const ContextScoreUpload::UPLOAD_PATH = "/corvana2/highscoreupload.php";

ContextScoreUpload::ContextScoreUpload() {
    bDeleteWhenDone = true;
    preContext = gGlobal->contextPre;
    const int w = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    RenderableText* title = new RenderableText(0.0f, float(h / 2 - 50), 0.0f, text(Language::STR_UPLOADSCORES),
                                               gGlobal->fontLarge, UColor(255, 255, 255, 255));
    title->printFlags |= kCentreVertically;
    addChild(title);

    messageViewer = new MessageViewer();
    messageViewer->y = -0.5f * float(messageViewer->maxLines) * messageViewer->lineStep;
    addChild(messageViewer);
    messageViewer->addMessage(text(Language::STR_UPLOADTEXT1));
    messageViewer->addMessage(text(Language::STR_UPLOADTEXT2));
    messageViewer->addMessage(text(Language::STR_UPLOADTEXT3));

    MenuButtonQuit* cancel = new MenuButtonQuit(float(-w / 2 + 100), float(-h / 2 + 50), 0.0f, text(Language::STR_CANCEL), "");
    cancel->setWidth(128);
    addChild(cancel);
    nextButton = new MenuButton(float(w / 2 - 100), float(-h / 2 + 50), 0.0f, text(Language::STR_NEXT), "");
    nextButton->setWidth(128);
    addChild(nextButton);
}

ContextScoreUpload::~ContextScoreUpload() {
    HttpFormPost::release(post);
}

void ContextScoreUpload::tickContents(double time, double dt) {
    Context::tickContents(time, dt);
    if (post) {
        int status = post->poll();
        if (status == HttpFormPost::FAILED) {
            messageViewer->addMessage(post->message);
            messageViewer->addMessage(text(Language::STR_CHECKCONNECTION));
            messageViewer->addMessage(text(Language::STR_FAILED));
        } else if (status == HttpFormPost::DONE) {
            messageViewer->addMessage(text(Language::STR_CONNECTED));
            for (const UString& line : post->replyLines) messageViewer->addMessage(line);
            messageViewer->addMessage(text(Language::STR_DONEDOT));
            nextButton->caption = text(Language::STR_FINISH);
            nextButton->bDisabled = false;
        }
    }
    if (nextButton->wasClicked()) {
        if (!post) {
            nextButton->bDisabled = true;
            messageViewer->addMessage(text(Language::STR_STARTINGDOTS));
            post = new HttpFormPost(ContextMain::WEB_SERVICE_HOST, UPLOAD_PATH);
            const SaveData& data = gGlobal->saveData;
            post->addField("HSTfile", UString(PLIM_BUILD_NAME) + ".hst", &data, int(sizeof data));
            post->send();
        } else {
            bDone = true;
        }
    }
}
