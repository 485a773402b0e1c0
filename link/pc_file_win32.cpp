// The fetch file on Windows, and the names Windows takes for devices or stores differently.

#include "link/pc_file.h"
#include "link/pc_names.h"

#include <windows.h>

namespace {

const wchar_t* wide(const str& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// Attributes a replaced file hands on to its successor.
constexpr DWORD kept_attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Why an existing name cannot be replaced by a fetched file; null when it can.
const char16_t* refusal(const str& name, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return u"it is a folder";
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return u"it is a device";
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return u"it is a link";
    // Opened without any access right, only to learn what it is.
    HANDLE h = CreateFileW(wide(name), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        const DWORD type = GetFileType(h);
        CloseHandle(h);
        if (type != FILE_TYPE_DISK)
            return u"it is a device";
    }
    return nullptr;
}

// The last path component: after the last "/", "\" or a drive's ":".
str last_component(const str& path) {
    return str(path.substr(path.find_last_of(u"/\\:") + 1));
}

} // namespace

struct pc_fetch_file::impl {
    HANDLE h = INVALID_HANDLE_VALUE;
};

pc_fetch_file::pc_fetch_file() : impl_(std::make_unique<impl>()) {}

pc_fetch_file::~pc_fetch_file() {
    discard();
}

bool pc_fetch_file::is_open() const {
    return impl_->h != INVALID_HANDLE_VALUE;
}

bool pc_fetch_file::begin(const str& target) {
    static const char16_t writing[] = u"cannot write PC file";
    discard();
    failure_ = link_failure();
    if (target.empty())
        return fail(writing, str(), str(u"no name given"));
    // A device name reaches the device in any folder.
    if (pc_device_name(last_component(target)))
        return fail(writing, target, str(u"it is a device"));
    const DWORD attributes = GetFileAttributesW(wide(target));
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (const char16_t* why = refusal(target, attributes))
            return fail(writing, target, str(why));
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        // A missing folder shows when the temporary file cannot be made.
        if (GetLastError() != ERROR_PATH_NOT_FOUND)
            return fail(writing, target, last_system_error_text());
    }
    target_ = target;

    const int cut = target.find_last_of(u"/\\:");
    const str folder(target.substr(0, cut + 1));
    removeStaleParts(folder);
    const auto seed = static_cast<std::uint32_t>(GetTickCount() ^ (GetCurrentProcessId() << 16));
    for (std::uint32_t attempt = 0; attempt < 100; ++attempt) {
        const str name = tempNameIn(folder, seed + attempt);
        HANDLE h = CreateFileW(wide(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            impl_->h = h;
            temp_ = name;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return fail(writing, target, last_system_error_text());
    }
    return fail(writing, target, str(u"no free temporary name"));
}

bool pc_fetch_file::write(const void* bytes, std::uint32_t count, std::uint32_t* done) {
    if (done)
        *done = 0;
    if (impl_->h == INVALID_HANDLE_VALUE)
        return false;
    const auto* from = static_cast<const std::uint8_t*>(bytes);
    std::uint32_t written = 0;
    while (written < count) {
        DWORD n = 0;
        if (!WriteFile(impl_->h, from + written, count - written, &n, nullptr) || n == 0) {
            if (done)
                *done = written;
            return fail(u"cannot write PC file", target_, last_system_error_text());
        }
        written += n;
    }
    if (done)
        *done = written;
    return true;
}

bool pc_fetch_file::commit() {
    static const char16_t writing[] = u"cannot write PC file";
    if (impl_->h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = FlushFileBuffers(impl_->h) != FALSE;
    if (!ok)
        fail(writing, target_, last_system_error_text());
    CloseHandle(impl_->h);
    impl_->h = INVALID_HANDLE_VALUE;

    // Looked at again right before the replace: it may have changed since the start.
    const DWORD old = GetFileAttributesW(wide(target_));
    if (ok && old != INVALID_FILE_ATTRIBUTES) {
        if (const char16_t* why = refusal(target_, old))
            ok = fail(writing, target_, str(why));
    }
    // A read-only file is replaced like any other (as on POSIX, where the folder's permission
    // decides); its successor is read-only again.
    const bool read_only = old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY);
    if (ok && read_only && !SetFileAttributesW(wide(target_), old & ~FILE_ATTRIBUTE_READONLY))
        ok = fail(writing, target_, last_system_error_text());
    if (ok && !MoveFileExW(wide(temp_), wide(target_),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = fail(writing, target_, last_system_error_text());
        if (read_only)
            SetFileAttributesW(wide(target_), old);
    }
    if (!ok) {
        discard();
        return false;
    }
    temp_.clear();
    if (old != INVALID_FILE_ATTRIBUTES && (old & kept_attributes) != FILE_ATTRIBUTE_ARCHIVE) {
        const DWORD keep = old & kept_attributes;
        SetFileAttributesW(wide(target_), keep ? keep : FILE_ATTRIBUTE_NORMAL);
    }
    return true;
}

void pc_fetch_file::discard() {
    if (impl_->h != INVALID_HANDLE_VALUE) {
        CloseHandle(impl_->h);
        impl_->h = INVALID_HANDLE_VALUE;
    }
    if (!temp_.empty()) {
        DeleteFileW(wide(temp_));
        temp_.clear();
    }
}

void pc_fetch_file::removeIfUnused(const str& path) {
    // A running copy holds its temporary file without sharing: the delete fails then.
    DeleteFileW(wide(path));
}

bool pc_device_name(const str& name) {
    // The device is named by the part before the first ".", trailing blanks dropped.
    int end = name.find(u'.');
    if (end < 0)
        end = name.length();
    while (end > 0 && name[end - 1] == u' ')
        --end;
    auto upper = [&](int i) {
        char16_t c = name[i];
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    };
    auto starts = [&](const char16_t* word, int length) {
        for (int i = 0; i < length; ++i)
            if (i >= end || upper(i) != word[i])
                return false;
        return true;
    };
    auto is = [&](const char16_t* word, int length) {
        return end == length && starts(word, length);
    };
    if (is(u"CON", 3) || is(u"PRN", 3) || is(u"AUX", 3) || is(u"NUL", 3) || is(u"CONIN$", 6) ||
        is(u"CONOUT$", 7))
        return true;
    if (end != 4 || !(starts(u"COM", 3) || starts(u"LPT", 3)))
        return false;
    const char16_t digit = name[3];
    return (digit >= u'1' && digit <= u'9') || digit == u'\u00b9' || digit == u'\u00b2' ||
           digit == u'\u00b3';
}

bool pc_name_altered(const str& name) {
    const char16_t last = name.empty() ? u'\0' : name[name.length() - 1];
    return last == u'.' || last == u' ';
}

bool pc_file_identity(const str& path, pc_file_id& id) {
    if (path.empty())
        return false;
    HANDLE h = CreateFileW(wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(h, &info) != FALSE;
    CloseHandle(h);
    if (!known)
        return false;
    id.volume = info.dwVolumeSerialNumber;
    id.index = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return true;
}

bool pc_name_is_alias(const str& path) {
    WIN32_FIND_DATAW found{};
    HANDLE h = FindFirstFileW(wide(path), &found);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    // The folder lists the file under its long name; a short alias differs from it beyond case.
    const str stored(reinterpret_cast<const char16_t*>(found.cFileName));
    return !stored.equals(last_component(path).c_str(), false);
}
