#include "ContextScoreUpload.h"

#include "ContextMain.h"
#include "ContextPre.h"
#include "FormPostPage.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "widgets/MessageViewer.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "online/HttpFormPost.h"

namespace {

const char* text(int id) { return PLIM->language->getText(id); }

} // namespace

const char* const ContextScoreUpload::UPLOAD_PATH = "/corvana2/highscoreupload.php";

ContextScoreUpload::ContextScoreUpload() {
    bDeleteWhenDone = true;
    preContext = gGlobal->contextPre;
    const UString intro[] = {text(Language::STR_UPLOADTEXT1), text(Language::STR_UPLOADTEXT2),
                             text(Language::STR_UPLOADTEXT3)};
    const FormPostPage::Parts parts = FormPostPage::build(this, text(Language::STR_UPLOADSCORES), intro);
    messageViewer = parts.messageViewer;
    nextButton = parts.nextButton;
}

ContextScoreUpload::~ContextScoreUpload() {
    HttpFormPost::release(post);
}

void ContextScoreUpload::tickContents(double time, double dt) {
    Context::tickContents(time, dt);
    if (post) FormPostPage::showOutcome(post, messageViewer, nextButton);
    if (nextButton->wasClicked()) {
        if (!post) {
            nextButton->bDisabled = true;
            messageViewer->addMessage(text(Language::STR_STARTINGDOTS));
            post = new HttpFormPost(ContextMain::WEB_SERVICE_HOST, UPLOAD_PATH);
            const SaveDataBlock& block = gGlobal->saveData;
            post->addField("HSTfile", UString(PLIM_BUILD_NAME) + ".hst", &block, int(sizeof block));
            post->send();
        } else {
            bDone = true;
        }
    }
}
