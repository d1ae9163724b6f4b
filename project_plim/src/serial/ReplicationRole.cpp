#include "ReplicationRole.h"

ReplicationRole* ReplicationRole::current = nullptr;

ReplicationRole::~ReplicationRole() {
    if (current == this)
        current = nullptr;
}
