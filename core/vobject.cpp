#include "core/vobject.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

// A connection record. A dead record (receiver null) stays in place while an emission runs on its
// sender, so that the indices the emission walks keep their meaning; it is removed afterwards.
struct connection {
    str name;
    sig_thunk thunk = nullptr;
    unsigned char member[sig_member_size] = {};
    void* self = nullptr;
    vObject* receiver = nullptr;
};

namespace {

// Process-wide state for receiver removal: the senders lists and the in-flight call counts are
// guarded by one mutex. Lock order: this mutex, then a sender's spin lock; never the reverse.
struct sig_registry {
    std::mutex m;
    std::condition_variable idle; // a call count dropped
};

sig_registry& registry() {
    // Never destroyed: objects with static storage may be destroyed after it otherwise.
    static sig_registry* r = new sig_registry;
    return *r;
}

// A non-zero word unique to each running thread, for the spin lock.
std::uintptr_t thread_token() {
    thread_local char anchor;
    return reinterpret_cast<std::uintptr_t>(&anchor);
}

} // namespace

// A handler call running on this thread. The frames form a per-thread stack so that a receiver
// destroyed by its own handler knows which calls it must not wait for.
struct sig_call {
    vObject* receiver;
    bool released = false;
    sig_call* prev;

    static thread_local sig_call* top;

    explicit sig_call(vObject* r) : receiver(r), prev(top) { top = this; }
    ~sig_call() {
        top = prev;
        if (released)
            return; // the receiver was disconnected (maybe destroyed) during the call
        std::lock_guard g(registry().m);
        if (receiver->calls_.fetch_sub(1) == 1)
            registry().idle.notify_all();
    }
    sig_call(const sig_call&) = delete;
    sig_call& operator=(const sig_call&) = delete;
};

thread_local sig_call* sig_call::top = nullptr;

namespace {

// An emission running on this thread. A handler may destroy the sender; its destructor marks the
// frames of that sender so that the emission returns without touching the freed object.
struct emit_frame {
    const vObject* sender;
    bool sender_gone = false;
    emit_frame* prev;

    static thread_local emit_frame* top;

    explicit emit_frame(const vObject* s) : sender(s), prev(top) { top = this; }
    ~emit_frame() { top = prev; }
    emit_frame(const emit_frame&) = delete;
    emit_frame& operator=(const emit_frame&) = delete;
};

thread_local emit_frame* emit_frame::top = nullptr;

} // namespace

vObject::vObject() : connections_(64), senders_(0) {}

vObject::~vObject() {
    for (emit_frame* f = emit_frame::top; f; f = f->prev)
        if (f->sender == this)
            f->sender_gone = true;
    disconnect_all();
    // Nothing can reach this object any more; free what is left (records kept for an emission
    // that a handler interrupted by destroying the sender).
    lock();
    while (connection* c = connections_.pop())
        delete c;
    unlock();
}

void vObject::lock() const {
    const std::uintptr_t me = thread_token();
    for (unsigned retry = 0;; ++retry) {
        std::uintptr_t expected = 0;
        if (lock_word_.compare_exchange_weak(expected, me, std::memory_order_acquire))
            return;
        // Held only for a few instructions: spin briefly, then give way, sleeping now and then.
        if (retry < 64)
            std::this_thread::yield();
        else if (retry & 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        else
            std::this_thread::yield();
    }
}

void vObject::unlock() const {
    lock_word_.store(0, std::memory_order_release);
}

void vObject::mark_dead_locked(vObject* receiver) {
    for (unsigned i = 0; i < connections_.count(); ++i) {
        connection* c = connections_.get(i);
        if (c->receiver == receiver) {
            c->receiver = nullptr;
            dirty_ = true;
        }
    }
    if (emitting_ == 0)
        compact_locked();
}

void vObject::compact_locked() {
    if (!dirty_)
        return;
    for (unsigned i = 0; i < connections_.count();) {
        connection* c = connections_.get(i);
        if (c->receiver) {
            ++i;
            continue;
        }
        connections_.remove(c); // keeps the order of the others
        delete c;
    }
    dirty_ = false;
}

bool vObject::connect_raw(const char16_t* name, vObject* receiver, void* self, sig_thunk thunk,
                          const void* member, std::size_t member_size) {
    if (!receiver || !self || !thunk || !member || member_size > sig_member_size)
        return false;
    connection* c = new (std::nothrow) connection;
    if (!c)
        return false;
    c->name.assign(name);
    c->thunk = thunk;
    std::memcpy(c->member, member, member_size);
    c->self = self;
    c->receiver = receiver;

    std::lock_guard g(registry().m);
    const bool new_sender = !receiver->senders_.contains(this);
    if (new_sender && !receiver->senders_.push(this)) {
        delete c;
        return false;
    }
    lock();
    const bool ok = connections_.push(c);
    unlock();
    if (!ok) {
        delete c;
        if (new_sender)
            receiver->senders_.remove(this);
    }
    return ok;
}

int vObject::emit_raw(const char16_t* name, const sigword* words, int count) {
    // Handlers may read up to sig_max_words parameters; those beyond the emitted ones are 0.
    sigword w[sig_max_words] = {};
    for (int i = 0; i < count && i < sig_max_words; ++i)
        w[i] = words[i];

    lock();
    const unsigned n = connections_.count(); // later connections are not part of this emission
    ++emitting_;
    unlock();

    emit_frame frame(this);
    int called = 0;
    for (unsigned i = 0; i < n; ++i) {
        sig_thunk thunk = nullptr;
        unsigned char member[sig_member_size];
        void* self = nullptr;
        vObject* receiver = nullptr;
        lock();
        connection* c = connections_.get(i);
        if (c && c->receiver && c->name.equals(name)) {
            thunk = c->thunk;
            std::memcpy(member, c->member, sizeof member);
            self = c->self;
            receiver = c->receiver;
            // Counted while the record is still there: a receiver being destroyed either
            // removed the record before this point or waits for this call.
            receiver->calls_.fetch_add(1);
        }
        unlock();
        if (!thunk)
            continue;
        ++called;
        {
            sig_call call(receiver);
            thunk(self, member, w);
        }
        if (frame.sender_gone)
            return called; // a handler destroyed this sender
    }

    lock();
    if (--emitting_ == 0)
        compact_locked();
    unlock();
    return called;
}

bool vObject::has_connections() const {
    lock();
    bool any = false;
    for (unsigned i = 0; i < connections_.count() && !any; ++i)
        any = connections_.get(i)->receiver != nullptr;
    unlock();
    return any;
}

void vObject::disconnect_receiver(vObject* receiver) {
    if (!receiver)
        return;
    std::lock_guard g(registry().m);
    lock();
    mark_dead_locked(receiver);
    unlock();
    receiver->senders_.remove(this);
}

void vObject::disconnect_all() {
    std::unique_lock g(registry().m);
    // As a receiver: drop the records that name this object on every sender.
    for (unsigned i = 0; i < senders_.count(); ++i) {
        vObject* sender = senders_.get(i);
        sender->lock();
        sender->mark_dead_locked(this);
        sender->unlock();
    }
    senders_.clear();
    // As a sender: forget this object in the senders lists of its receivers, drop the records.
    lock();
    for (unsigned i = 0; i < connections_.count(); ++i) {
        connection* c = connections_.get(i);
        if (c->receiver && c->receiver != this)
            c->receiver->senders_.remove(this);
        c->receiver = nullptr;
        dirty_ = true;
    }
    if (emitting_ == 0)
        compact_locked();
    unlock();

    // Calls of this receiver further up this thread's stack cannot finish before we return: stop
    // counting them (and keep them from touching this object when they unwind), then wait for
    // the calls on other threads.
    int own = 0;
    for (sig_call* f = sig_call::top; f; f = f->prev) {
        if (f->receiver == this && !f->released) {
            f->released = true;
            ++own;
        }
    }
    calls_.fetch_sub(own);
    registry().idle.wait(g, [this] { return calls_.load() == 0; });
}
