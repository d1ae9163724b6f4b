#pragma once
// The engine layer's class records, registered in one place. Every program that
// uses the engine has them once a Plim exists; upper layers register their own
// records the same way, and the start-up check compares the registry's size
// with the sum of the layers' counts.

// Records that registerPlimClasses adds.
constexpr int PLIM_CLASS_COUNT = 42;

// Registers the engine's records; later calls change nothing.
void registerPlimClasses();
