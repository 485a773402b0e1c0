#pragma once
// Port discovery from a sysfs tree (Linux). The tree's root is a parameter so that tests can walk
// a fixture; the default discovery passes "/sys".
//
// USB: the ACM and USB-serial terminals (class/tty/ttyACM*, ttyUSB*) of a USB device whose maker
// or product names "samsung" in any letter case, or whose vendor id is 04e8, each become a record
// "maker product:/dev/ttyACM0;". Bluetooth: every bound RFCOMM terminal (class/tty/rfcomm*) whose
// remote address is not all zeros becomes "Bluetooth <address> channel <n>:/dev/rfcomm0;".
// Terminals are taken in name order, numbers compared as numbers.

#include "core/str.h"

bool findUsbPortsInSysfs(const char* sysfs_root, str& list);
bool findBluetoothPortsInSysfs(const char* sysfs_root, str& list);
