#pragma once
// Discovery of the serial ports that may lead to the phone. Each operation appends one record per
// port to a caller's text: name ":" port ";", where the name has every ":" and ";" removed, so the
// text splits into name/port pairs at those two characters. Records keep discovery order.

#include "core/registry.h"
#include "core/str.h"

// The phone's USB modem ports; true when at least one record was appended. The platform default:
// the system registry on Windows, sysfs elsewhere.
bool findUsbPorts(str& list);
// Serial ports of paired Bluetooth devices; always true. Platform default as above.
bool findBluetoothPorts(str& list);

// The same walks over a given registry (the layout of the Windows registry).
bool findUsbPorts(registry& reg, str& list);
bool findBluetoothPorts(registry& reg, str& list);

// Appends name ":" port ";" with ":" and ";" removed from the name.
void appendPortRecord(str& list, const str& name, const str& port);
