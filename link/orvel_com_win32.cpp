// The serial port on Windows: overlapped I/O on a comm handle, each call completed at once with a
// waiting GetOverlappedResult. Tolerates Wine's serial driver: a timed-out read reports
// ERROR_TIMEOUT instead of success, and only CancelIoEx aborts a read pending on another thread.

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>

#include "link/orvel_com.h"
#include "link/port_guard.h"

namespace {

constexpr DWORD purge_all = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

HANDLE as_handle(OrvelCom::comm_handle h) {
    return reinterpret_cast<HANDLE>(h);
}
OrvelCom::comm_handle as_number(HANDLE h) {
    return reinterpret_cast<OrvelCom::comm_handle>(h);
}

// Owns a kernel handle.
class handle_holder {
public:
    explicit handle_holder(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~handle_holder() { reset(); }
    handle_holder(const handle_holder&) = delete;
    handle_holder& operator=(const handle_holder&) = delete;
    HANDLE get() const { return h_; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }
    void reset(HANDLE h = nullptr) {
        if (h_)
            CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_;
};

// Claims a port for this program by a mutex named after it: Wine does not enforce a comm
// handle's share mode, so two programs could otherwise both open one port. Null (port busy)
// when another holder has the claim, in this process or any other.
HANDLE claim_port(const str& name) {
    str key(u"Global\\orvel-port-");
    str device = OrvelCom::deviceName(name);
    for (int i = 0; i < device.length(); ++i) {
        char16_t c = device[i];
        if (i < 4 && (c == u'\\' || c == u'.'))
            continue; // the "\\.\" in front
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 0x20);
        key.append(c == u'\\' ? u'/' : c);
    }
    HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(key.c_str()));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

HANDLE open_comm(const str& name) {
    str device = OrvelCom::deviceName(name);
    return CreateFileW(reinterpret_cast<const wchar_t*>(device.c_str()),
                       GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Completes an overlapped call, waiting. Wine ends a read that ran into its time-out with
// ERROR_TIMEOUT; Windows calls that a success, and so do we.
bool complete(HANDLE h, OVERLAPPED* ov, DWORD& done) {
    done = 0;
    if (GetOverlappedResult(h, ov, &done, TRUE))
        return true;
    return GetLastError() == ERROR_TIMEOUT;
}

// Keeps the calling thread's window messages flowing for ms milliseconds. A quit request is put
// back for the main message loop.
void pump_messages(DWORD ms) {
    DWORD deadline = GetTickCount() + ms;
    do {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            try {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            } catch (...) {
            }
        } else {
            Sleep(0);
        }
    } while (static_cast<LONG>(GetTickCount() - deadline) < 0);
}

} // namespace

struct OrvelCom::impl {
    impl() {
        ZeroMemory(&ov, sizeof ov);
        ov.hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    ~impl() {
        if (ov.hEvent)
            CloseHandle(ov.hEvent);
    }

    port_guard guard;
    std::recursive_mutex state; // serialises openPort and closePort
    HANDLE claim = nullptr;     // the port's named claim while it is open; guarded by state
    std::mutex io;              // one overlapped call at a time on the record below
    OVERLAPPED ov;              // serves every read and write of the open port
    std::atomic<bool> closing{false};

    // Runs one overlapped read or write on the open port. On failure `error` is the system's
    // text, or empty when the port was being closed.
    template <class Start> bool run(HANDLE h, Start start, std::uint32_t* transferred, str& error) {
        std::lock_guard<std::mutex> hold(io);
        ov.Offset = 0;
        ov.OffsetHigh = 0;
        if (!start(h, &ov) && GetLastError() != ERROR_IO_PENDING) {
            if (!closing.load())
                error = last_system_error_text();
            return false;
        }
        // A close that came before the call was issued could not cancel it: do it now.
        if (closing.load())
            CancelIoEx(h, &ov);
        DWORD done = 0;
        bool ok = complete(h, &ov, done);
        if (!ok && !closing.load())
            error = last_system_error_text();
        if (transferred)
            *transferred = done;
        return ok;
    }
};

OrvelCom::OrvelCom() : impl_(std::make_unique<impl>()) {}

OrvelCom::~OrvelCom() {
    closePort();
}

str OrvelCom::deviceName(const str& name) {
    static const char16_t prefix[] = u"\\\\.\\";
    bool prefixed = name.length() >= 4;
    for (int i = 0; prefixed && i < 4; ++i)
        prefixed = name[i] == prefix[i];
    if (prefixed)
        return name;
    str device(prefix);
    device.append(name);
    return device;
}

bool OrvelCom::isOpen() const {
    return impl_->guard.isOpen();
}

bool OrvelCom::configurePort(comm_handle handle, int multiplier) {
    HANDLE h = as_handle(handle);
    if (!h || h == INVALID_HANDLE_VALUE)
        return false;
    DWORD errors = 0;
    ClearCommError(h, &errors, nullptr);
    SetCommMask(h, EV_RXCHAR | EV_ERR);

    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    GetCommState(h, &dcb);
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fParity = TRUE;
    dcb.BaudRate = base_rate * static_cast<DWORD>(multiplier);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonLim = 100;
    dcb.XoffLim = 100;
    bool state_ok = SetCommState(h, &dcb) != FALSE;

    COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = read_interval_ms;
    timeouts.ReadTotalTimeoutMultiplier = read_per_byte_ms;
    timeouts.ReadTotalTimeoutConstant = read_constant_ms;
    timeouts.WriteTotalTimeoutMultiplier = 150;
    timeouts.WriteTotalTimeoutConstant = 2000;
    bool timeouts_ok = SetCommTimeouts(h, &timeouts) != FALSE;
    return state_ok && timeouts_ok;
}

bool OrvelCom::openPort(const str& name) {
    std::lock_guard<std::recursive_mutex> hold(impl_->state);
    closePort();
    noteOpened();
    if (name.empty()) {
        setFailure(link_error::open_failed, str(u"no port named"));
        return false;
    }
    handle_holder claim(claim_port(name));
    if (!claim.get()) {
        setFailure(link_error::port_busy);
        return false;
    }
    handle_holder h(open_comm(name));
    if (!h.get()) {
        // A port that another program has open is refused with one of these.
        const DWORD code = GetLastError();
        if (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION)
            setFailure(link_error::port_busy);
        else
            setFailure(link_error::open_failed, last_system_error_text());
        return false;
    }
    // Only a comm device is a serial port; nothing is written to anything else (a disk file,
    // the null device, a pipe).
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (GetFileType(h.get()) != FILE_TYPE_CHAR || !GetCommState(h.get(), &dcb)) {
        setFailure(link_error::not_a_port);
        return false;
    }
    configurePort(as_number(h.get()), 1); // the port counts as open even when a setting is refused
    impl_->closing.store(false);
    impl_->guard.attach(as_number(h.release()));
    impl_->claim = claim.release();
    emit(this, u"connected", static_cast<vObject*>(this));
    return true;
}

void OrvelCom::closePort() {
    std::lock_guard<std::recursive_mutex> hold(impl_->state);
    if (!impl_->guard.isOpen())
        return;
    emit(this, u"disconnected", static_cast<vObject*>(this));
    impl_->closing.store(true);
    port_guard::handle_type number = 0;
    OVERLAPPED* ov = &impl_->ov;
    impl_->guard.detach(number, [ov](port_guard::handle_type pending) {
        CancelIoEx(as_handle(pending), ov);
        PurgeComm(as_handle(pending), purge_all);
    });
    HANDLE h = as_handle(number);
    CancelIo(h);
    PurgeComm(h, purge_all);
    CloseHandle(h);
    if (impl_->claim) {
        CloseHandle(impl_->claim);
        impl_->claim = nullptr;
    }
}

bool OrvelCom::readBytes(void* buffer, std::uint32_t count, std::uint32_t* transferred) {
    port_use use(impl_->guard);
    if (!use) {
        setFailure(link_error::no_port);
        return false;
    }
    std::uint32_t got = 0;
    str error;
    bool ok = impl_->run(
        as_handle(use.handle()),
        [&](HANDLE h, OVERLAPPED* ov) { return ReadFile(h, buffer, count, nullptr, ov) != FALSE; },
        &got, error);
    if (got > 0)
        noteInput();
    if (!ok)
        setFailure(error.empty() ? link_error::no_port : link_error::port_failed, error);
    if (transferred)
        *transferred = got;
    return ok;
}

bool OrvelCom::writeBytes(const void* buffer, std::uint32_t count, std::uint32_t* transferred) {
    port_use use(impl_->guard);
    if (!use) {
        setFailure(link_error::no_port);
        return false;
    }
    str error;
    bool ok = impl_->run(
        as_handle(use.handle()),
        [&](HANDLE h, OVERLAPPED* ov) { return WriteFile(h, buffer, count, nullptr, ov) != FALSE; },
        transferred, error);
    if (!ok)
        setFailure(error.empty() ? link_error::no_port : link_error::port_failed, error);
    return ok;
}

std::uint32_t OrvelCom::bytesWaiting() {
    port_use use(impl_->guard);
    if (!use)
        return 0;
    DWORD errors = 0;
    COMSTAT stat;
    ZeroMemory(&stat, sizeof stat);
    if (!ClearCommError(as_handle(use.handle()), &errors, &stat))
        return 0;
    return stat.cbInQue;
}

bool OrvelCom::waitForInput(std::uint32_t ms) {
    // Comm events are not dependable on every driver (Wine's pseudo-terminal ports among them):
    // look at the input queue once a millisecond.
    for (std::uint32_t i = 0; i < ms; ++i) {
        if (bytesWaiting() != 0)
            return true;
        if (!isOpen())
            return false;
        Sleep(1);
    }
    return bytesWaiting() != 0;
}

bool OrvelCom::probePort(const str& name) {
    if (name.empty())
        return false;
    // A port that a program holds is never written to by a probe.
    handle_holder claim(claim_port(name));
    if (!claim.get())
        return false;
    handle_holder h(open_comm(name));
    if (!h.get())
        return false;
    DWORD modem = 0;
    if (!GetCommModemStatus(h.get(), &modem))
        return false; // no modem port
    bool result = true;
    configurePort(as_number(h.get()), probe_multiplier);

    // The probe has an overlapped record of its own, so it never disturbs the open port's calls.
    OVERLAPPED ov;
    ZeroMemory(&ov, sizeof ov);
    handle_holder event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ov.hEvent = event.get();
    char answer[257] = {};
    bool pending = false;
    if (ov.hEvent) {
        static const char request[] = "AT+CGSN\r";
        if (!WriteFile(h.get(), request, 8, nullptr, &ov) && GetLastError() != ERROR_IO_PENDING) {
            // the write could not even start: nothing to wait for
        } else if (WaitForSingleObject(ov.hEvent, 1000) == WAIT_OBJECT_0) {
            DWORD done = 0;
            complete(h.get(), &ov, done);
            ov.Offset = 0;
            ov.OffsetHigh = 0;
            if (ReadFile(h.get(), answer, 256, nullptr, &ov) ||
                GetLastError() == ERROR_IO_PENDING) {
                pending = true;
                if (WaitForSingleObject(ov.hEvent, 1000) == WAIT_OBJECT_0) {
                    pending = false;
                    DWORD got = 0;
                    if (!complete(h.get(), &ov, got) || got < 2)
                        result = false;
                    std::printf(" - %.*s - ", static_cast<int>(got), answer);
                    std::fflush(stdout);
                }
            }
        } else {
            pending = true;
        }
    }

    DWORD errors = 0;
    ClearCommError(h.get(), &errors, nullptr);
    CancelIoEx(h.get(), nullptr);
    PurgeComm(h.get(), purge_all);
    if (pending) {
        // Let the cancelled call finish before its buffer and record go away.
        DWORD done = 0;
        GetOverlappedResult(h.get(), &ov, &done, TRUE);
    }
    h.reset();
    pump_messages(10);
    return result;
}
