#include "FormPostPage.h"

#include "render/Camera.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuPlate.h"
#include "widgets/MessageViewer.h"
#include "core/Plim.h"
#include "RenderableText.h"
#include "online/HttpFormPost.h"

namespace {

const char* text(int id) { return PLIM->language->getText(id); }

const int BUTTON_WIDTH = 128;

} // namespace

FormPostPage::Parts FormPostPage::build(PlimBase* screen, const UString& title, const UString (&intro)[3]) {
    const int w = Camera::fovWidth();
    const int h = Camera::fovHeight();
    screen->addChild(MenuPlate::pageTitle(title));

    Parts parts;
    parts.messageViewer = new MessageViewer();
    parts.messageViewer->y = -0.5f * float(parts.messageViewer->maxLines) * parts.messageViewer->lineStep;
    screen->addChild(parts.messageViewer);
    for (const UString& line : intro) parts.messageViewer->addMessage(line);

    MenuButtonQuit* cancel = new MenuButtonQuit(float(-w / 2 + 100), float(-h / 2 + 50), 0.0f, text(Language::STR_CANCEL), "");
    cancel->setWidth(BUTTON_WIDTH);
    screen->addChild(cancel);
    parts.nextButton = new MenuButton(float(w / 2 - 100), float(-h / 2 + 50), 0.0f, text(Language::STR_NEXT), "");
    parts.nextButton->setWidth(BUTTON_WIDTH);
    screen->addChild(parts.nextButton);
    return parts;
}

int FormPostPage::showOutcome(HttpFormPost* post, MessageViewer* viewer, MenuButton* nextButton) {
    const int status = post->poll();
    if (status == HttpFormPost::FAILED) {
        viewer->addMessage(post->message);
        viewer->addMessage(text(Language::STR_CHECKCONNECTION));
        viewer->addMessage(text(Language::STR_FAILED));
    } else if (status == HttpFormPost::DONE) {
        viewer->addMessage(text(Language::STR_CONNECTED));
        for (const UString& line : post->replyLines) viewer->addMessage(line);
        viewer->addMessage(text(Language::STR_DONEDOT));
        nextButton->caption = text(Language::STR_FINISH);
        nextButton->bDisabled = false;
    }
    return status;
}
