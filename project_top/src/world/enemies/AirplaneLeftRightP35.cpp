#include "AirplaneLeftRightP35.h"

#include "world/AirplaneSkin.h"

AirplaneLeftRightP35::AirplaneLeftRightP35() {
    points = POINTS;
    setEnergy(ENERGY);
    skin->setPictures("p35", "p35-markings");
}

AirplaneLeftRightP35::~AirplaneLeftRightP35() {}
