#pragma once
// The discovered ports: USB ports first, then Bluetooth ports, in discovery order.

#include <vector>

#include "core/str.h"

struct port_record {
    str name;
    str port;
};

// Splits a port list text ("NAME:PORT;" records) into records.
std::vector<port_record> split_port_list(const str& list);
// findUsbPorts then findBluetoothPorts, split.
std::vector<port_record> discovered_ports();
