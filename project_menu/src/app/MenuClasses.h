#pragma once
// The menu layer's class records, registered in one place like the engine's
// (PlimClasses.h). The application object registers them (with the effects
// layer's) before it builds the class index.

// Records that registerMenuClasses adds.
constexpr int MENU_CLASS_COUNT = 2;

// Registers the layer's records; later calls change nothing.
void registerMenuClasses();
