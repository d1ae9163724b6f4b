#include "ContextMutators.h"

#include "app/Global.h"
#include "widgets/MenuBool.h"

ContextMutators::ContextMutators() : ContextOptionsPage("mutators") {
    SaveData& saved = gGlobal->saveData;
    const struct {
        const char* caption;
        const char* description;
        uint8_t* option;
    } switches[] = {
        {"no blaster", "infinite blaster energy", &saved.bNoBlaster},
        {"matrix fight", "fight in matrix-style \"bullet time\"", &saved.bMatrixFight},
        {"berserk mode", "game is twice as fast", &saved.bBerserkMode},
        {"bloated projectiles", "projectiles become twice as large", &saved.bBloatedProjectiles},
        {"bouncy bombs", "bombs bounce on water", &saved.bBouncyBombs},
        {"autocannons", "cannons fire streams of bullets", &saved.bAutocannons},
    };
    float y = 120.0f;
    for (const auto& s : switches) {
        addChild(new MenuBool(0.0f, y, 0.0f, s.caption, s.description, s.option));
        y -= 40.0f;
    }
    addBackButton();
}

ContextMutators::~ContextMutators() {}
