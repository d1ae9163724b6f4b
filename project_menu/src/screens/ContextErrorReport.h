#pragma once
// Offered at the start after a run that ended in a fatal error: explains what
// was found and, on Next, posts the crash files with the game's name and
// version to the web service's crash-report page, showing the progress and
// the reply. Sending needs the network wizard to have tested the connection.
// The crash files are deleted once the report was sent, or when the player
// closes the screen without sending it (with the connection tested, so that
// sending was offered); a report that failed or was cut short stays for the
// next start.
#include "ContextMenu.h"
#include "util/UString.h"

#include <string>

class HttpFormPost;
class MenuButton;
class MessageViewer;

class ContextErrorReport : public ContextMenu {
public:
    static const char* const REPORT_PATH;

    ContextErrorReport();
    ~ContextErrorReport() override;

    void onActivate(bool firstTime) override;
    void tickContents(double time, double dt) override;

    // A crash log of a previous run lies in the user folder, and holds
    // something: an empty one is no report.
    static bool hasCrashLog();
    // A crash file's bytes; false when it is gone, not a plain file or cannot
    // be read (never fatal: a fatal error here would recur at every start).
    static bool readCrashFile(const UString& path, std::string& bytes);
    // Deletes the post, or lets go of it while it is still being sent.
    void releasePost();

    MessageViewer* messageViewer = nullptr; // a child
    HttpFormPost* post = nullptr;           // owned; null until Next
    MenuButton* sendButton = nullptr;       // a child: Next, then Finish
    MenuButton* wizardButton = nullptr;     // a child while the connection is untested, else null

    bool bSent = false;                     // the service took the report

private:
    void sendReport();
};
