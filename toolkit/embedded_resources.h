#pragma once
// The program's pictures built into it where the platform has no resources of its own (the Qt
// driver): the bytes of the icon or bitmap file of that resource id, as the Windows resource
// script lists them; empty for an id it does not hold.

#include <span>

namespace vwin {

std::span<const unsigned char> embeddedResource(int id);

} // namespace vwin
