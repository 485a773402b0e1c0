// The fetch file on POSIX: a descriptor on the temporary file, rename(2) to put it in place.

#include "link/pc_file.h"
#include "link/pc_names.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

// What an existing name is, for a refusal; empty for a regular file.
const char16_t* kind_of(const struct stat& st) {
    if (S_ISREG(st.st_mode))
        return nullptr;
    if (S_ISDIR(st.st_mode))
        return u"a folder";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return u"a device";
    if (S_ISFIFO(st.st_mode))
        return u"a pipe";
    if (S_ISSOCK(st.st_mode))
        return u"a socket";
    return u"no regular file";
}

str it_is(const char16_t* prefix, const char16_t* kind) {
    str text(prefix);
    text.append(kind);
    return text;
}

} // namespace

struct pc_fetch_file::impl {
    int fd = -1;
};

pc_fetch_file::pc_fetch_file() : impl_(std::make_unique<impl>()) {}

pc_fetch_file::~pc_fetch_file() {
    discard();
}

bool pc_fetch_file::is_open() const {
    return impl_->fd >= 0;
}

bool pc_fetch_file::begin(const str& target) {
    static const char16_t writing[] = u"cannot write PC file";
    discard();
    failure_ = link_failure();
    if (target.empty())
        return fail(writing, str(), str(u"no name given"));
    const std::string path = target.to_utf8();
    std::string resolved = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            // Written through, as cp does: the file it leads to is replaced, the link stays.
            if (::stat(path.c_str(), &st) != 0)
                return fail(writing, target, str(u"it is a link that leads nowhere"));
            if (const char16_t* kind = kind_of(st))
                return fail(writing, target, it_is(u"it is a link to ", kind));
            char* real = ::realpath(path.c_str(), nullptr);
            if (!real)
                return fail(writing, target, last_system_error_text());
            resolved = real;
            std::free(real);
        } else if (const char16_t* kind = kind_of(st)) {
            return fail(writing, target, it_is(u"it is ", kind));
        }
    } else if (errno != ENOENT) {
        return fail(writing, target, last_system_error_text());
    }
    target_ = str::from_utf8(resolved.c_str());

    const std::size_t cut = resolved.rfind('/');
    const str folder =
        cut == std::string::npos ? str() : str::from_utf8(resolved.substr(0, cut + 1).c_str());
    removeStaleParts(folder);
    const auto seed =
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                   (static_cast<std::uint32_t>(::getpid()) << 16));
    for (std::uint32_t attempt = 0; attempt < 100; ++attempt) {
        const str name = tempNameIn(folder, seed + attempt);
        int fd;
        do
            fd = ::open(name.to_utf8().c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            // Held while it is written: another copy's clean-up leaves it alone.
            ::flock(fd, LOCK_EX | LOCK_NB);
            impl_->fd = fd;
            temp_ = name;
            return true;
        }
        if (errno != EEXIST)
            return fail(writing, target, last_system_error_text());
    }
    return fail(writing, target, str(u"no free temporary name"));
}

bool pc_fetch_file::write(const void* bytes, std::uint32_t count, std::uint32_t* done) {
    if (done)
        *done = 0;
    if (impl_->fd < 0)
        return false;
    const auto* from = static_cast<const std::uint8_t*>(bytes);
    std::uint32_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(impl_->fd, from + written, count - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            if (done)
                *done = written;
            return fail(u"cannot write PC file", target_, last_system_error_text());
        }
        written += static_cast<std::uint32_t>(n);
    }
    if (done)
        *done = written;
    return true;
}

bool pc_fetch_file::commit() {
    static const char16_t writing[] = u"cannot write PC file";
    if (impl_->fd < 0)
        return false;
    const std::string target = target_.to_utf8();
    bool ok = ::fsync(impl_->fd) == 0;
    if (!ok)
        fail(writing, target_, last_system_error_text());
    struct stat st {};
    if (ok && ::lstat(target.c_str(), &st) == 0) {
        // Looked at again right before the replace: it may have changed since the start.
        if (const char16_t* kind = kind_of(st)) {
            ok = fail(writing, target_, it_is(u"it is ", kind));
        } else {
            // The new file keeps the old one's owner (where allowed) and permission bits.
            [[maybe_unused]] int owned = ::fchown(impl_->fd, st.st_uid, st.st_gid);
            if (::fchmod(impl_->fd, st.st_mode & 07777) != 0)
                ok = fail(writing, target_, last_system_error_text());
        }
    }
    if (::close(impl_->fd) != 0 && ok)
        ok = fail(writing, target_, last_system_error_text());
    impl_->fd = -1;
    if (ok && ::rename(temp_.to_utf8().c_str(), target.c_str()) != 0)
        ok = fail(writing, target_, last_system_error_text());
    if (!ok) {
        discard();
        return false;
    }
    temp_.clear();
    return true;
}

void pc_fetch_file::discard() {
    if (impl_->fd >= 0) {
        ::close(impl_->fd);
        impl_->fd = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.to_utf8().c_str());
        temp_.clear();
    }
}

void pc_fetch_file::removeIfUnused(const str& path) {
    // Younger than this, a file may be one that a running copy made and has not locked yet.
    constexpr time_t settle_seconds = 10;
    const std::string name = path.to_utf8();
    const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        st.st_mtime + settle_seconds < ::time(nullptr) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::unlink(name.c_str());
    ::close(fd);
}

// Every name is a file name here; device files live in their own folders.
bool pc_device_name(const str&) {
    return false;
}

// Names are stored exactly as given.
bool pc_name_altered(const str&) {
    return false;
}

bool pc_file_identity(const str& path, pc_file_id& id) {
    struct stat st {};
    if (path.empty() || ::stat(path.to_utf8().c_str(), &st) != 0)
        return false;
    id.volume = static_cast<std::uint64_t>(st.st_dev);
    id.index = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

// A name here is the file's own name: there are no aliases.
bool pc_name_is_alias(const str&) {
    return false;
}
