#include "CameraFollowPlayer.h"

#include "modes/GameController.h"
#include "CameraDefault.h"
#include "Vehicle.h"

CameraFollowPlayer::CameraFollowPlayer(int followed) : player(followed) {}

CameraFollowPlayer::~CameraFollowPlayer() {}

void CameraFollowPlayer::tick(double time, double dt) {
    CameraBlenderFactor::tick(time, dt);
    Vehicle* vehicle = GameController::currentVehicle(player);
    if (!vehicle) return;
    position.x = target.x = vehicle->position.x;
    position.y = target.y = vehicle->position.y;
    CameraDefault::clampToFloor(*this);
}
