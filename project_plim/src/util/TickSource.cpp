#include "TickSource.h"

#include "PlimUtil.h"

#include <SDL.h>

static TickSource platformSource;
TickSource* TickSource::current = &platformSource;

uint32_t TickSource::getTicks() { return (uint32_t)getMilliseconds(); }

void TickSource::delay(uint32_t milliseconds) { SDL_Delay(milliseconds); }

void TickSource::install(TickSource* source) { current = source ? source : &platformSource; }
