#include "GameStartButton.h"

#include "app/ContextManager.h"
#include "app/MyGlobal.h"
#include "modes/GameController.h"

GameStartButton::GameStartButton(float x, float y, float z, const UString& caption, const UString& description,
                                 Factory make)
    : MenuButton(x, y, z, caption, description) {
    setFactory(make);
}

GameStartButton::~GameStartButton() {}

void GameStartButton::setFactory(Factory make) {
    factory = make;
    bDisabled = factory == nullptr;
}

GameController* GameStartButton::startIfClicked() {
    if (!wasClicked() || !factory) return nullptr;
    return startGame(factory());
}

GameController* GameStartButton::startGame(GameController* game) {
    MyGlobal* app = static_cast<MyGlobal*>(gGlobal);
    app->currentController = game;
    app->contextManager->push(game);
    game->onEnter();
    return game;
}
