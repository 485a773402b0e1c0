#include "phone/orvel_special_files.h"

#include "phone/ini_lines.h"

namespace {

const char16_t* const file_paths[special_file_count] = {
    u"/Registry/ProtoAccount.ini",      u"/Registry/DevWlanProfile.ini",
    u"/Registry/PshSetAccessPoint.ini", u"/Settings/Default/NV/nv_default.ini",
    u"/Registry/MainMenu_reg.ini",
};

str keyValueLine(const str& key, const str& value) {
    str line(key);
    line.append(u" = ");
    line.append(value);
    return line;
}

} // namespace

const char16_t* specialFilePath(special_file which) {
    const int index = static_cast<int>(which);
    return index >= 0 && index < special_file_count ? file_paths[index] : nullptr;
}

special_file specialFileAt(int index) {
    return index >= 0 && index < special_file_count ? static_cast<special_file>(index)
                                                    : special_file::none;
}

special_file specialFileOf(const char16_t* path) {
    if (!path)
        return special_file::none;
    for (int i = 0; i < special_file_count; ++i)
        if (ini_names_equal(path, file_paths[i]))
            return static_cast<special_file>(i);
    return special_file::none;
}

std::vector<str> touchLines(const SamsungINIFile& nvDefaults) {
    std::vector<str> lines;
    const SamsungINIFile::section* ids = nvDefaults.findSection(u"NvId");
    if (!ids)
        return lines;
    for (unsigned i = 0; i < ids->count(); ++i) {
        const SamsungINIFile::entry* e = (*ids)[i];
        if (e && e->find(u"TOUCH") >= 0)
            lines.push_back(keyValueLine(*e, e->value));
    }
    return lines;
}

std::vector<str> profileLines(const SamsungINIFile& accessPoints, const SamsungINIFile& accounts,
                              const SamsungINIFile& wlanProfiles) {
    std::vector<str> lines;
    const SamsungINIFile::section* handles = accessPoints.findSection(u"AccountHandle");
    if (!handles)
        return lines;
    for (unsigned i = 0; i < handles->count(); ++i) {
        const SamsungINIFile::entry* e = (*handles)[i];
        if (!e)
            continue;
        str shown(e->value);
        const char16_t* handle = e->value.c_str();
        if (const SamsungINIFile::section* account =
                accounts.findSectionWith(u"AccountHandle", handle)) {
            if (const SamsungINIFile::entry* name = account->findEntry(u"AccountName"))
                shown = name->value;
        } else if (const SamsungINIFile::section* wlan =
                       wlanProfiles.findSectionWith(u"ProtoHandle", handle)) {
            if (const SamsungINIFile::entry* ssid = wlan->findEntry(u"SSID"))
                shown = ssid->value;
        }
        lines.push_back(keyValueLine(*e, shown));
    }
    return lines;
}

std::uint32_t menu_colouring::next(const str& line) {
    if (ini_lines::is_section_line(line))
        ++sections_;
    return menu_section_colours[sections_ % 6];
}

namespace {

bool endsWithReturn(const str& line) {
    return line.length() > 0 && line[line.length() - 1] == u'\r';
}

} // namespace

str menuLineEditText(const str& line) {
    return endsWithReturn(line) ? str(line.substr(0, line.length() - 1)) : line;
}

bool menuLineFromEdit(const str& oldLine, const str& edited, str& line) {
    if (!ini_lines::fits(edited) || edited.find(u'\n') >= 0)
        return false;
    line = edited;
    if (endsWithReturn(oldLine))
        line.append(u'\r');
    return true;
}
