// Platforms without a system registry: every key is missing, so registry walks find nothing.

#include "core/memory_registry.h"
#include "core/registry.h"

registry& system_registry() {
    static memory_registry empty;
    return empty;
}
