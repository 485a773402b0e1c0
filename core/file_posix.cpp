#include "core/stream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

struct file::impl {
    int fd = -1;
};

namespace {

// Open flags for a creation word (without the text-mark bit); -1 for an unknown word.
int creation_flags(std::uint32_t creation) {
    switch (creation) {
    case create_new:
        return O_CREAT | O_EXCL;
    case create_always:
        return O_CREAT | O_TRUNC;
    case open_existing:
        return 0;
    case open_always:
        return O_CREAT;
    case 5: // truncate an existing file
        return O_TRUNC;
    default:
        return -1;
    }
}

int open_path(const std::string& path, int flags) {
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool is_directory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

file::file(const char16_t* name, std::uint32_t creation, bool overlapped)
    : impl_(new (std::nothrow) impl), creation_(creation), overlapped_(overlapped),
      text_marked_((creation & creation_text_mark) != 0) {
    if (name)
        name_.assign(name);
}

file::~file() {
    close();
    delete impl_;
}

bool file::is_open() const {
    return impl_ && impl_->fd >= 0;
}

void file::close() {
    if (is_open()) {
        ::close(impl_->fd);
        impl_->fd = -1;
    }
    size_ = position_ = 0;
}

bool file::open(const char16_t* name) {
    close();
    if (name)
        name_.assign(name);
    text_marked_ = false;
    const int flags = creation_flags(creation_ & ~creation_text_mark);
    if (!impl_ || name_.empty() || flags < 0)
        return false;
    const std::string path = name_.to_utf8();
    // A folder is never a file (and must not have its permissions touched below).
    if (is_directory(path))
        return false;

    int fd = open_path(path, O_RDWR | flags);
    if (fd < 0) {
        if (errno == ENOENT)
            return false;
        const std::uint32_t disposition = creation_ & ~creation_text_mark;
        if (disposition == create_new) {
            fd = open_path(path, O_WRONLY | O_CREAT | O_EXCL);
        } else {
            struct stat st {};
            // Replacing a write-protected file: make it writable first, as clearing the
            // read-only attribute does on Windows.
            if (disposition == create_always && ::stat(path.c_str(), &st) == 0 &&
                ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0) {
                fd = open_path(path, O_RDWR | flags);
                if (fd < 0)
                    ::chmod(path.c_str(), st.st_mode & 07777);
            }
            if (fd < 0)
                fd = open_path(path, O_RDONLY);
        }
        if (fd < 0)
            return false;
    }
    impl_->fd = fd;
    return settle_text_mark();
}

bool file::read(void* bytes, std::uint32_t count, std::uint32_t* done) {
    if (done)
        *done = 0;
    if (!is_open() || count == 0 || position_ > static_cast<std::uint64_t>(INT64_MAX))
        return false;
    ssize_t n;
    do
        n = ::pread(impl_->fd, bytes, count, static_cast<off_t>(position_));
    while (n < 0 && errno == EINTR);
    if (n <= 0)
        return false;
    advance(static_cast<std::uint64_t>(n));
    if (done)
        *done = static_cast<std::uint32_t>(n);
    return true;
}

bool file::write(const void* bytes, std::uint32_t count, std::uint32_t* done) {
    if (done)
        *done = 0;
    if (!is_open() || count == 0)
        return false;
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    std::uint32_t total = 0;
    while (total < count) {
        if (position_ > static_cast<std::uint64_t>(INT64_MAX) - count)
            break;
        const ssize_t n =
            ::pwrite(impl_->fd, p + total, count - total, static_cast<off_t>(position_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<std::uint32_t>(n);
        advance(static_cast<std::uint64_t>(n));
    }
    if (done)
        *done = total;
    return total == count; // a short write (disk full) is a failure
}

bool file::truncate() {
    if (!is_open() || position_ > static_cast<std::uint64_t>(INT64_MAX) ||
        ::ftruncate(impl_->fd, static_cast<off_t>(position_)) != 0)
        return false;
    size_ = position_;
    return true;
}

bool file::seek(std::uint64_t position) {
    if (!is_open() || position > static_cast<std::uint64_t>(INT64_MAX))
        return false;
    position_ = position;
    return true;
}

bool file::flush() {
    return is_open() && ::fsync(impl_->fd) == 0;
}

bool file::exists() const {
    struct stat st {};
    return !name_.empty() && ::stat(name_.to_utf8().c_str(), &st) == 0;
}

bool file::creation_time(timestamp& out) const {
    if (!is_open())
        return false;
    struct statx sx {};
    if (::statx(impl_->fd, "", AT_EMPTY_PATH, STATX_BTIME | STATX_MTIME, &sx) == 0) {
        // File systems without a birth time give the last modification instead.
        const statx_timestamp& t = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
        out.set_unix(t.tv_sec, t.tv_nsec);
        return true;
    }
    struct stat st {};
    if (::fstat(impl_->fd, &st) != 0)
        return false;
    out.set_unix(st.st_mtim.tv_sec, static_cast<std::uint32_t>(st.st_mtim.tv_nsec));
    return true;
}

bool file::refresh_size() {
    struct stat st {};
    if (!is_open() || ::fstat(impl_->fd, &st) != 0)
        return false;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}
