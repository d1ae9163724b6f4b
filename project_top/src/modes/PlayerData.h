#pragma once
// One player's record in a match: island, palms, current vehicle, score,
// rating, human flag and colour. A child of the controller's scene; it only
// points at the world objects (weakly: they clear themselves when they die).
#include "core/PlimBase.h"
#include "core/Reference.h"
#include "util/UColor.h"

class GameObject;
class Renderable;
class Vehicle;

class PlayerData : public PlimBase {
public:
    static constexpr int MAX_PALMS = 100;
    // State number of a standing palm.
    static constexpr int PALM_STANDING = 1;

    explicit PlayerData(int player);
    ~PlayerData() override;

    // Creates count palms (clamped to 0..MAX_PALMS), sorted highest first,
    // into the current controller's palm layer.
    void createPalms(int count, bool sharedDamage);
    // A standing palm chosen uniformly; the first slot when none stands.
    GameObject* randomAlivePalm();
    // Never below 0.
    void addScore(int delta);
    // A palm fell; the last one tells the controller.
    void onPalmLost();

    Vehicle* vehicle() const;

    Reference<Renderable> pIsland{this};
    // Slots 0 .. numPalms - 1 in use; the constructor makes this record
    // their owner.
    struct PalmSlot : Reference<GameObject> {
        PalmSlot() : Reference<GameObject>(nullptr) {}
    };
    PalmSlot palms[MAX_PALMS];
    Reference<Vehicle> pVehicle{this};
    int32_t player;
    int32_t numPalms = 0;
    int32_t numPalmsStanding = 0;
    int32_t score = 0;
    float rating = 0.0f;
    bool bHuman = false;
    UColor color{255, 255, 255, 255};
};
