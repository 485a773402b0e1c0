// The default port discovery on Linux reads sysfs instead of a registry.

#include "link/port_discovery_posix.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "link/port_discovery.h"

namespace fs = std::filesystem;

namespace {

// USB device attributes sit at most this many levels above a terminal's device link.
constexpr int max_levels_up = 4;

struct terminal {
    std::string name;   // "ttyACM0"
    std::string prefix; // "ttyACM"
    unsigned long number = 0;
};

// The terminals in class/tty whose name is one of the prefixes followed by digits only, ordered by
// prefix (as listed) and then by number.
std::vector<terminal> terminals(const fs::path& root, std::initializer_list<const char*> prefixes) {
    std::vector<terminal> found;
    std::error_code ec;
    fs::directory_iterator it(root / "class" / "tty", ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        for (const char* prefix : prefixes) {
            std::string p(prefix);
            if (name.size() <= p.size() || name.compare(0, p.size(), p) != 0 ||
                name.size() - p.size() > 9)
                continue;
            std::string digits = name.substr(p.size());
            if (!std::all_of(digits.begin(), digits.end(),
                             [](unsigned char c) { return std::isdigit(c) != 0; }))
                continue;
            found.push_back({name, p, std::stoul(digits)});
        }
    }
    auto rank = [&](const terminal& t) {
        int i = 0;
        for (const char* prefix : prefixes) {
            if (t.prefix == prefix)
                return i;
            ++i;
        }
        return i;
    };
    std::sort(found.begin(), found.end(), [&](const terminal& a, const terminal& b) {
        return rank(a) != rank(b) ? rank(a) < rank(b) : a.number < b.number;
    });
    return found;
}

// The first line of a sysfs attribute, blanks trimmed; empty when missing.
std::string attribute(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line))
        return {};
    if (line.size() > 256)
        line.resize(256);
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!line.empty() && blank(line.back()))
        line.pop_back();
    std::size_t start = 0;
    while (start < line.size() && blank(line[start]))
        ++start;
    return line.substr(start);
}

std::string lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The USB device above a terminal: the nearest directory with an idVendor attribute, looked for
// only inside the sysfs tree.
bool usb_device_of(const fs::path& root, const fs::path& tty_dir, fs::path& device) {
    std::error_code ec;
    fs::path top = fs::canonical(root, ec);
    if (ec)
        return false;
    fs::path at = fs::canonical(tty_dir / "device", ec);
    for (int level = 0; !ec && level <= max_levels_up; ++level) {
        auto rel = at.lexically_relative(top);
        if (rel.empty() || rel == "." || *rel.begin() == "..")
            return false;
        std::error_code missing;
        if (fs::is_regular_file(at / "idVendor", missing)) {
            device = at;
            return true;
        }
        at = at.parent_path();
    }
    return false;
}

void append_record(str& list, const std::string& name, const std::string& port) {
    appendPortRecord(list, str::from_utf8(name.c_str()), str::from_utf8(port.c_str()));
}

} // namespace

bool findUsbPortsInSysfs(const char* sysfs_root, str& list) {
    if (!sysfs_root || !*sysfs_root)
        return false;
    fs::path root(sysfs_root);
    bool added = false;
    for (const terminal& t : terminals(root, {"ttyACM", "ttyUSB"})) {
        fs::path device;
        if (!usb_device_of(root, root / "class" / "tty" / t.name, device))
            continue;
        std::string maker = attribute(device / "manufacturer");
        std::string product = attribute(device / "product");
        bool samsung = lowered(maker).find("samsung") != std::string::npos ||
                       lowered(product).find("samsung") != std::string::npos ||
                       lowered(attribute(device / "idVendor")) == "04e8";
        if (!samsung)
            continue;
        std::string name = maker;
        if (!product.empty())
            name += (name.empty() ? "" : " ") + product;
        if (name.empty())
            name = t.name;
        append_record(list, name, "/dev/" + t.name);
        added = true;
    }
    return added;
}

bool findBluetoothPortsInSysfs(const char* sysfs_root, str& list) {
    if (!sysfs_root || !*sysfs_root)
        return true;
    fs::path root(sysfs_root);
    for (const terminal& t : terminals(root, {"rfcomm"})) {
        fs::path dir = root / "class" / "tty" / t.name;
        std::string address = attribute(dir / "address");
        if (address == "00:00:00:00:00:00")
            continue; // bound to no device
        std::replace(address.begin(), address.end(), ':', '-');
        std::string name = "Bluetooth " + (address.empty() ? t.name : address);
        std::string channel = attribute(dir / "channel");
        if (!channel.empty())
            name += " channel " + channel;
        append_record(list, name, "/dev/" + t.name);
    }
    return true;
}

bool findUsbPorts(str& list) {
    return findUsbPortsInSysfs("/sys", list);
}

bool findBluetoothPorts(str& list) {
    return findBluetoothPortsInSysfs("/sys", list);
}
