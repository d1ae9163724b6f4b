#pragma once
// Drives a ProgramRun whose game has a ScreenWatcher, with real X input
// (xdotool): waits for screens, moves onto buttons by caption and clicks,
// presses keys, and takes F9 screenshots.
#include "JpegImage.h"
#include "ProgramRun.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// What the watcher last wrote.
struct ProgramScreen {
    std::string top;
    int mouseX = 0, mouseY = 0;
    std::map<std::string, std::pair<int, int>> buttons; // by caption
    struct Caption {
        int left = 0, right = 0; // the text's ends
        bool hovered = false;
    };
    std::map<std::string, Caption> captions;
    int state = -1, number = -1;                         // the match's state and round or wave
    int keysDown = -1, buttonDown = -1;                  // held in the frame's input (-1: not told)
    int page = -1;                                       // a hint page's state (-1: none on top)

    static ProgramScreen parse(const std::string& text);
};

// Runs xdotool with the arguments; a failure is a test failure.
void xdotool(const std::string& arguments);

class ProgramPath {
public:
    // waitSeconds: how long waitFor waits unless told otherwise.
    explicit ProgramPath(double waitSeconds) : waitSeconds(waitSeconds) {}
    // Why whole-program runs cannot happen here: no X server or no xdotool
    // ("" when they can).
    static std::string missing();

    ProgramScreen now() const { return ProgramScreen::parse(run.read("screen")); }
    // Waits until the top screen is of the class (or the match in the state).
    bool waitFor(const std::string& top, double seconds = -1.0, int state = -1);
    // Moves the pointer onto the button with that caption and clicks.
    bool click(const std::string& caption);
    // Moves the pointer to a point of the top screen's view and clicks (items
    // other than buttons, such as a value's arrows or a check box).
    void clickAt(int x, int y);
    // Moves the pointer there in steps of at most step units, as a hand does.
    bool moveTo(int x, int y, int step = 40);
    // The points of each enabled button's caption where the pointer does not
    // reach the button: the centre and 3 units inside either end of the text
    // ("caption at x" per miss, empty when all hit).
    std::vector<std::string> captionMisses();
    // A button or key is held until a frame of the program has seen it down,
    // and the next waits until one has seen it up: a loaded machine's long
    // frames miss nothing.
    void clickHere();
    void press(const std::string& key);
    // Escape, then waits for the screen it should leave on top.
    bool backTo(const std::string& top);
    // Starts the program, skips the maker's logo and the title with a click
    // each and names the new user: the main menu. Gives a fatal failure where a screen stays away.
    void startAsNewUser(ApplicationFactory factory, const std::string& name);
    // Start Game, then the game type's button on the game types page.
    void pickGameType(const std::string& caption);
    // pickGameType, then "start" once its rules page is on top.
    void startMatch(const std::string& gameType, const std::string& rulesPage);
    // Escape asks; "Yes" ends the match without an end scene.
    void escapeYes();
    // escapeYes, then the page comes on top with no match left.
    void quitMatchTo(const std::string& page);
    // Hint pages ignore clicks until their opening slide ends, which a loaded
    // machine stretches: each is clicked once it is shown, until none is on
    // top (one may follow another).
    void closeHelpPages();
    // As waitFor, closing the hint pages that come up on the way.
    bool waitPastHints(const std::string& top, double seconds, int state = -1);
    // The JPEG files in the user folder.
    std::set<std::string> screenshots() const;
    // F9, and the new screenshot's path once its writer has finished it ("" when none came).
    std::string screenshot();
    // F9 until a screenshot comes (a loaded machine may miss a short press;
    // four at the most), read back: 0 x 0 when none came. file: its path.
    JpegImage takeScreenshot(std::string* file = nullptr);

    ProgramRun run;

private:
    // Waits up to the seconds until the watcher's input line passes the test.
    template <class Test> bool waitForInput(Test test, double seconds) const;
    // The pointer on a point of the top screen, after relative moves.
    bool movedTo(int x, int y) const;

    double waitSeconds;
};
