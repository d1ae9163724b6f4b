#pragma once
// The effects and text layer's class records, registered in one place like the
// engine's (PlimClasses.h). Programs that use this layer call
// registerPlimFxClasses once the engine exists; the start-up check counts
// PLIMFX_CLASS_COUNT records for this layer.

// Records that registerPlimFxClasses adds.
constexpr int PLIMFX_CLASS_COUNT = 3;

// Registers the layer's records; later calls change nothing.
void registerPlimFxClasses();
