// The screen of a net-match client: the replicated world below the role drawn
// over the sea and sky through the view over both islands, and the role's
// network overlay on top (it shows while [Plim] debugLevel has bit 0x200).
#pragma once
#include "core/Context.h"

class ContextBlender;
class NetRole;

class NetMatchView : public Context {
public:
    // The role is not owned; it must outlive the screen.
    explicit NetMatchView(NetRole* role);

    ContextBlender* scene = nullptr; // child
    Context* hud = nullptr;          // child
};
