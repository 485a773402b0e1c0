#pragma once
// Named signals between objects. A sender emits a name with a packed list of argument words; every
// handler connected to that name on that sender is called synchronously, on the emitting thread,
// in connect order. Destroying a receiver removes its connections, so a late signal never reaches
// it.

#include <atomic>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "core/alist.h"
#include "core/str.h"

// One argument word: pointer-sized, so pointers fit on 64-bit builds.
using sigword = std::uintptr_t;

// Handlers may declare up to this many parameters beyond what was emitted; those read as 0.
inline constexpr int sig_extra_words = 5;
inline constexpr int sig_max_words = 8;

class vObject;

// A type-erased handler: calls the member function on `self` (the receiver as its own class) with
// the words converted back to the parameter types.
using sig_thunk = void (*)(void* self, const void* member, const sigword* words);

// Room for a member-function pointer in a connection record.
inline constexpr std::size_t sig_member_size = 32;

namespace sig_detail {
template <class T> sigword to_word(T value) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<sigword>(value);
    else if constexpr (std::is_same_v<T, std::nullptr_t>)
        return 0;
    else
        return static_cast<sigword>(value);
}
template <class T> T from_word(sigword w) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(w);
    else if constexpr (std::is_same_v<T, bool>)
        return w != 0;
    else
        return static_cast<T>(w);
}
} // namespace sig_detail

struct connection; // record held in the sender's list

class vObject {
public:
    vObject();
    vObject(const vObject&) = delete;
    vObject& operator=(const vObject&) = delete;
    ~vObject();

    // Low-level forms; the templates below are the usual way in.
    // `receiver` identifies the receiving object (for removal); `self` is the same object as the
    // handler's class, on which the thunk calls the member stored in `member`.
    bool connect_raw(const char16_t* name, vObject* receiver, void* self, sig_thunk thunk,
                     const void* member, std::size_t member_size);
    int emit_raw(const char16_t* name, const sigword* words, int count);

    // Removes every connection in which `receiver` is the receiver, on this sender.
    void disconnect_receiver(vObject* receiver);

    // True when at least one live connection has this object as its sender.
    bool has_connections() const;

    // Removes every connection to and from this object, then waits until calls of its handlers
    // on other threads have returned. The destructor does this; a derived receiver whose handlers
    // use derived members calls it first in its own destructor.
    void disconnect_all();

private:
    friend struct connection;
    friend struct sig_call;
    void lock() const;
    void unlock() const;
    void mark_dead_locked(vObject* receiver); // under the spin lock
    void compact_locked();                    // under the spin lock, when nobody emits

    // Spin lock guarding connections_, emitting_ and dirty_ (never held during a handler call).
    mutable std::atomic<std::uintptr_t> lock_word_{0};
    alist<connection> connections_;
    unsigned emitting_ = 0; // emissions running on this sender (records are kept in place)
    bool dirty_ = false;    // dead records wait for removal
    // Guarded by the process-wide signal mutex: senders with a connection to this receiver, and
    // handler calls of this receiver in flight.
    alist<vObject> senders_;
    std::atomic<int> calls_{0};
};

// connect(sender, name, receiver, &Receiver::handler) -> bool
// The handler may be a member of a base class of the receiver.
template <class T, class R, class Ret, class... Args>
bool connect(vObject* sender, const char16_t* name, T* receiver, Ret (R::*handler)(Args...)) {
    static_assert(std::is_base_of_v<vObject, T>, "a receiver is a vObject");
    static_assert(std::is_same_v<R, T> || std::is_base_of_v<R, T>, "the handler is the receiver's");
    static_assert(sizeof...(Args) <= sig_max_words, "too many signal parameters");
    using member_t = Ret (R::*)(Args...);
    static_assert(sizeof(member_t) <= sig_member_size);
    if (!sender || !receiver || !handler)
        return false;
    sig_thunk thunk = [](void* obj, const void* member, const sigword* words) {
        member_t m;
        std::memcpy(&m, member, sizeof m);
        R* self = static_cast<R*>(obj);
        (void)words;
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            (self->*m)(sig_detail::from_word<std::decay_t<Args>>(words[I])...);
        }
        (std::index_sequence_for<Args...>{});
    };
    R* self = receiver;
    return sender->connect_raw(name, receiver, self, thunk, &handler, sizeof handler);
}

// emit(sender, name, args...) -> number of handlers called
template <class... A> int emit(vObject* sender, const char16_t* name, A... args) {
    static_assert(sizeof...(A) <= sig_max_words, "too many signal words");
    if (!sender)
        return 0;
    sigword words[sizeof...(A) + 1] = {sig_detail::to_word(args)..., 0};
    return sender->emit_raw(name, words, static_cast<int>(sizeof...(A)));
}
