#include "ContextErrorReport.h"

#include "render/Camera.h"
#include "app/Config.h"
#include "ContextMain.h"
#include "app/ContextManager.h"
#include "ContextNetworkWizard1.h"
#include "ContextPre.h"
#include "FontQuad.h"
#include "FormPostPage.h"
#include "app/Formatters.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "widgets/MessageViewer.h"
#include "core/Plim.h"
#include "util/FileStream.h"
#include "util/PlimUtil.h"
#include "online/HttpFormPost.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const char* text(int id) { return PLIM->language->getText(id); }

bool networkTested() { return gGlobal->saveData.bNetworkTested != 0; }

// The file name without its folders: the player's home path stays at home.
UString baseName(const UString& path) {
    const char* slash = strrchr(path.c_str(), '/');
    return slash ? UString(slash + 1) : path;
}

// A NUL-terminated field of the saved block's header, read within its size.
UString headerText(const char* field, size_t size) {
    return UString(field, strnlen(field, size));
}

} // namespace

const char* const ContextErrorReport::REPORT_PATH = "/corvana2/crashreport.php";

ContextErrorReport::ContextErrorReport() {
    bDeleteWhenDone = true;
    bEscapeCloses = false;
    preContext = gGlobal->contextPre;

    const UString intro[] = {text(Language::STR_ERRORREPORTINTRO1), text(Language::STR_ERRORREPORTINTRO2),
                             text(Language::STR_ERRORREPORTINTRO3)};
    const FormPostPage::Parts parts = FormPostPage::build(this, text(Language::STR_ERRORREPORTTITLE), intro);
    messageViewer = parts.messageViewer;
    sendButton = parts.nextButton;

    if (!networkTested()) {
        messageViewer->addMessage("");
        messageViewer->addMessage(text(Language::STR_ERRORREPORTWIZARD1));
        messageViewer->addMessage(text(Language::STR_ERRORREPORTWIZARD2));
        wizardButton = new MenuButton(0.0f, float(-Camera::fovHeight() / 2 + 50), 0.0f,
                                      text(Language::STR_NETWORKWIZARDDOTS), "");
        addChild(wizardButton);
    }
}

ContextErrorReport::~ContextErrorReport() {
    // Closed before Next with sending on offer: the player discarded the report.
    const bool discarded = !post && networkTested();
    releasePost();
    if (bSent || discarded) {
        removeFile(Config::getCRASHLOGfile());
        removeFile(Config::getCRASHSCREENSHOTfile());
        removeFile(Config::getCRASHNETTRAFFICfile());
    }
}

bool ContextErrorReport::hasCrashLog() {
    FileStream log(Config::getCRASHLOGfile(), FileStream::MODE_READ);
    return log.bOk && log.size > 0;
}

bool ContextErrorReport::readCrashFile(const UString& path, std::string& bytes) {
    bytes.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    char chunk[65536];
    while (ok) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n > 0) bytes.append(chunk, size_t(n));
        else if (n == 0) break;
        else if (errno != EINTR) ok = false;
    }
    close(fd);
    if (!ok) bytes.clear();
    return ok;
}

void ContextErrorReport::releasePost() {
    HttpFormPost::release(post);
}

void ContextErrorReport::onActivate(bool firstTime) {
    ContextMenu::onActivate(firstTime);
    if (!post) sendButton->bDisabled = !networkTested();
    if (wizardButton) wizardButton->bDisabled = networkTested();
}

void ContextErrorReport::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);
    if (post && FormPostPage::showOutcome(post, messageViewer, sendButton) == HttpFormPost::DONE) bSent = true;
    if (wizardButton && wizardButton->wasClicked()) gGlobal->contextManager->push(new ContextNetworkWizard1());
    if (sendButton->wasClicked()) {
        if (!post) sendReport();
        else bDone = true;
    }
}

void ContextErrorReport::sendReport() {
    sendButton->bDisabled = true;
    post = new HttpFormPost(ContextMain::WEB_SERVICE_HOST, REPORT_PATH);
    const SaveData& data = gGlobal->saveData;
    UString gameName = headerText(data.buildName, sizeof data.buildName);
    UString gameVersion = headerText(data.version, sizeof data.version);
    post->addField("gameName", "", gameName.c_str(), int(gameName.length()));
    post->addField("gameVersion", "", gameVersion.c_str(), int(gameVersion.length()));

    struct CrashFile {
        const char* field;
        UString path;
    } files[] = {
        {"crashLog", Config::getCRASHLOGfile()},
        {"crashScreenshot", Config::getCRASHSCREENSHOTfile()},
        {"crashNetTraffic", Config::getCRASHNETTRAFFICfile()},
    };
    int total = 0;
    std::string bytes;
    for (const CrashFile& file : files) {
        if (!readCrashFile(file.path, bytes)) continue;
        post->addField(file.field, baseName(file.path), bytes.data(), int(bytes.size()));
        total += int(bytes.size());
    }
    messageViewer->addMessage(UString::format(text(Language::STR_ERRORREPORTUPLOADING),
                                              Formatters::formatGroupedInteger(total).c_str()));
    messageViewer->addMessage(text(Language::STR_ERRORREPORTPLEASEWAIT));
    post->send();
}
