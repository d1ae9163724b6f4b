#pragma once
// Sends the local high-score tables to the web service: on Next the whole
// saved data block goes as the file "HSTfile" in a form post on its own
// thread; the outcome is listed line by line. Finish or Cancel close it.
#include "core/Context.h"

class HttpFormPost;
class MenuButton;
class MessageViewer;

class ContextScoreUpload : public Context {
public:
    static const char* const UPLOAD_PATH;

    ContextScoreUpload();
    ~ContextScoreUpload() override;

    void tickContents(double time, double dt) override;

    MessageViewer* messageViewer = nullptr; // a child
    HttpFormPost* post = nullptr;           // owned; null until Next
    MenuButton* nextButton = nullptr;       // a child: Next, then Finish
};
