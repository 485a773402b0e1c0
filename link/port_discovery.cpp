// Port discovery over a registry laid out as the Windows registry: USB modems below Enum\USB,
// Bluetooth serial ports below Enum\BTHENUM with their device names below BTHPORT, and the serial
// entries of the Toshiba Bluetooth stack in the current user's part.

#include "link/port_discovery.h"

#include "core/regkey.h"

namespace {

// The setup class of ports (COM and LPT).
constexpr const char16_t* ports_class = u"{4d36e978-e325-11ce-bfc1-08002be10318}";

bool contains_lowered(const str& text, const char16_t* word) {
    str lowered(text);
    lowered.to_lower();
    return lowered.find(word) >= 0;
}

// A Bluetooth unique id "{service}#ADDRESS_suffix" cut down to the device address.
str device_address(const str& unique_id) {
    str address(unique_id);
    int hash = address.find(u'#');
    if (hash > 0)
        address.erase(0, hash + 1);
    int under = address.find(u'_');
    if (under > 0)
        address.erase(under);
    return address;
}

// The display name of a paired device, from the Bluetooth port driver's list of devices.
str device_name(registry& reg, const str& address) {
    str name;
    regkey devices(reg, reg_root::local_machine);
    if (devices.open(u"SYSTEM/CurrentControlSet/Services/BTHPORT/Parameters/Devices") &&
        devices.open(address.c_str()))
        devices.read_string(u"Name", name, u"");
    return name;
}

void find_system_bluetooth(registry& reg, str& list) {
    regkey key(reg, reg_root::local_machine);
    if (!key.open(u"SYSTEM/CurrentControlSet/Enum/BTHENUM"))
        return;
    for (std::uint32_t d = 0; key.enter(d); ++d) {
        for (std::uint32_t i = 0; key.enter(i); ++i) {
            str guid, name, port;
            if (key.read_string(u"ClassGUID", guid, u"") && guid.equals(ports_class, false) &&
                key.open(u"Control")) {
                key.up(); // only a present device has a Control key
                if (key.open(u"DEVICE PARAMETERS")) {
                    str unique_id;
                    key.read_string(u"PortName", port, u"");
                    key.read_string(u"Bluetooth_UniqueID", unique_id, u"");
                    str address = device_address(unique_id);
                    if (address.equals(u"000000000000"))
                        port.clear(); // an unpaired port: forgotten
                    else
                        name = device_name(reg, address);
                    key.up();
                }
            }
            if (!name.empty() && !port.empty())
                appendPortRecord(list, name, port);
            key.up();
        }
        key.up();
    }
    key.close_all();
}

void find_toshiba_bluetooth(registry& reg, str& list) {
    regkey key(reg, reg_root::current_user);
    if (!key.open(u"Software/Toshiba/BluetoothStack") || !key.open(u"V1.0/EZC/DATA"))
        return;
    for (std::uint32_t e = 0; key.enter(e); ++e) {
        str service, entry, port;
        key.read_string(u"SERVICENAME", service, u"");
        if (contains_lowered(service, u"serial")) {
            key.read_string(u"ENTRYNAME", entry, u"");
            if (key.open(u"SCORIGINAL")) {
                if (key.read_string(u"PORTNAME", port, u""))
                    appendPortRecord(list, entry, port);
                key.up();
            }
        }
        key.up();
    }
    key.close_all();
}

} // namespace

void appendPortRecord(str& list, const str& name, const str& port) {
    str clean(name);
    clean.remove_chars(u":;");
    list.append(clean);
    list.append(u':');
    list.append(port);
    list.append(u';');
}

bool findUsbPorts(registry& reg, str& list) {
    regkey key(reg, reg_root::local_machine);
    if (!key.open(u"SYSTEM\\CurrentControlSet\\Enum\\USB"))
        return false;
    bool added = false;
    for (std::uint32_t d = 0; key.enter(d); ++d) {
        for (std::uint32_t i = 0; key.enter(i); ++i) {
            str cls, friendly;
            key.read_string(u"Class", cls, u"");
            key.read_string(u"FriendlyName", friendly, u"");
            if (cls.equals(u"Modem", false) && contains_lowered(friendly, u"samsung") &&
                key.open(u"Device Parameters")) {
                str port;
                key.read_string(u"PortName", port, u"");
                key.up();
                appendPortRecord(list, friendly, port);
                added = true;
            }
            key.up();
        }
        key.up();
    }
    key.close_all();
    return added;
}

bool findBluetoothPorts(registry& reg, str& list) {
    find_system_bluetooth(reg, list);
    find_toshiba_bluetooth(reg, list);
    return true;
}
