#include "ContextPost.h"

ContextPost::ContextPost() {}

ContextPost::~ContextPost() {}
