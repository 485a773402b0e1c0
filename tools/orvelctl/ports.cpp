#include "tools/orvelctl/ports.h"

#include "link/port_discovery.h"

std::vector<port_record> split_port_list(const str& list) {
    std::vector<port_record> records;
    int start = 0;
    while (start < list.length()) {
        int end = list.find(u';', start);
        if (end < 0)
            end = list.length();
        const str record(list.substr(start, end - start));
        start = end + 1;
        if (record.empty())
            continue;
        // Names are free of ":" and ";", so the first ":" separates the name from the port.
        const int colon = record.find(u':');
        port_record r;
        if (colon < 0) {
            r.name = record;
        } else {
            r.name = str(record.substr(0, colon));
            r.port = str(record.substr(colon + 1));
        }
        records.push_back(std::move(r));
    }
    return records;
}

std::vector<port_record> discovered_ports() {
    str list;
    findUsbPorts(list);
    findBluetoothPorts(list);
    return split_port_list(list);
}
