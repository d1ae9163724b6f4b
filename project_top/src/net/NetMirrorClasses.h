#pragma once
// The class records a replicated match adds to the registry: the mirror's
// root and its two calls. Every side registers them before its role is made
// (once; the index is rebuilt), so class indices agree on the wire.
void registerNetMirrorClasses();
