#pragma once
// The match of a test scenario: its world comes from the scenario's build
// function when the match is entered, its collision pass tests chosen pairs of
// layers (each live object against each of the other layer; objects of the
// same player never touch), and its rules are a small state machine: state 1
// while objects are in play, state 2 once every layer is empty. The game modes
// bring their own passes and rules.
#include "modes/GameController.h"

#include <functional>
#include <utility>
#include <vector>

class GameObject;

class ScriptedController : public GameController {
public:
    enum State { STATE_PLAYING = 1, STATE_CLEAR = 2 };

    // players: human players (1: player 1 is computer-steered).
    explicit ScriptedController(int players = 2);

    void onEnter() override;
    void checkCollisions() override;
    void updateRules() override;
    void onStateChange() override;

    // Objects of layer a meet objects of layer b (a == b: each pair once).
    void collideLayers(int a, int b) { collisionPairs.emplace_back(a, b); }
    // Adds an object to a layer and sets up its visuals.
    GameObject* place(int layer, GameObject* object);
    // Live objects over all layers.
    int liveObjects() const;

    std::function<void(ScriptedController&)> build;
    std::vector<std::pair<int, int>> collisionPairs;
    int32_t contacts = 0; // contacts found since the start

private:
    void collide(GameObject* a, GameObject* b);
};
