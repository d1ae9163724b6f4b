#pragma once
// A button that starts a game: every game started from the menus goes through
// startGame, so each new match is made current, pushed and entered alike. A
// button whose game mode is not in the build has no factory and is disabled.
#include "widgets/MenuButton.h"

class GameController;

class GameStartButton : public MenuButton {
public:
    typedef GameController* (*Factory)();

    GameStartButton(float x, float y, float z, const UString& caption, const UString& description,
                    Factory make);
    ~GameStartButton() override;

    // Enabled exactly while there is a factory.
    void setFactory(Factory make);
    // Starts a game when the button was clicked since the last poll; returns
    // it (owned by the screen stack), or null.
    GameController* startIfClicked();

    // The start sequence: the new controller becomes the current match, goes
    // on top of the screen stack and builds its world (onEnter).
    static GameController* startGame(GameController* game);

    Factory factory = nullptr;
};
