#pragma once
// The system stream face of a store, for system components that take an IStream (Windows only).

#include <objidl.h>

#include "core/stream.h"

// A COM stream over `store`: Read/Write/Seek/Stat map onto the store, the other methods answer
// E_NOTIMPL. The object starts with one reference (the caller's); the Release that brings the
// count to 0 destroys it, and the store with it when `owns`. Null for a null store.
IStream* istream_of(iostore* store, bool owns = true);
