#include "QuitSaves.h"

#include "ContextManager.h"
#include "files/FileManager.h"
#include "Global.h"
#include "core/Logger.h"
#include "files/SaveFailures.h"
#include "core/Context.h"
#include "screens/ContextDialog.h"
#include "util/PlimUtil.h"

const char* const QuitSaves::TRY_AGAIN = "Try again";
const char* const QuitSaves::QUIT_UNSAVED = "Quit unsaved";

bool QuitSaves::letGo(ContextManager& stack, Context* last) {
    if (bSettled || !gGlobal) return true;
    // Told here, not in the notices' dialog.
    SaveFailures::startGathering();
    gGlobal->writeSaves();
    failed = SaveFailures::takeGathered();
    if (failed.empty()) {
        bSettled = true;
        return true;
    }
    last->bDone = false;
    waiting.set(last);
    ask(stack);
    return false;
}

void QuitSaves::ask(ContextManager& stack) {
    UString text;
    for (const auto& failure : failed)
        text += formatString("Could not save '%s': %s.|", failure.first.c_str(), failure.second.c_str());
    text += "|If you quit without saving, the changes made in this game are lost.";
    logTagged("ask", "Asking whether to quit without %d save(s).", int(failed.size()));
    ContextDialog* dialog = new ContextDialog();
    dialog->text = text;
    dialog->label1 = TRY_AGAIN;
    dialog->label2 = QUIT_UNSAVED;
    dialog->pAnswer = &answer;
    dialog->build();
    stack.push(dialog);
}

void QuitSaves::followAnswer() {
    Context* last = waiting;
    if (answer < 0 || !last) return;
    if (answer == 1) {
        for (const auto& failure : failed) FileManager::skipSaves(failure.first);
        logTagged("followAnswer", "Quitting without saving.");
        bSettled = true;
    }
    answer = -1;
    waiting.set(nullptr);
    last->bDone = true;
}
