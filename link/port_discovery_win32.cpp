// On Windows the ports are found in the system registry.

#include "link/port_discovery.h"

bool findUsbPorts(str& list) {
    return findUsbPorts(system_registry(), list);
}

bool findBluetoothPorts(str& list) {
    return findBluetoothPorts(system_registry(), list);
}
