#include "core/vobject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Records every call as (tag, first word) so that order and arguments can be checked.
struct Recorder : vObject {
    std::vector<std::pair<int, long>> calls;
    void first(long a) { calls.push_back({1, a}); }
    void second(long a) { calls.push_back({2, a}); }
};

struct Args : vObject {
    int a = -1, b = -1, c = -1;
    bool flag = false;
    const char16_t* text = u"unset";
    void three(int x, int y, int z) {
        a = x;
        b = y;
        c = z;
    }
    void mixed(const char16_t* t, bool f, int x) {
        text = t;
        flag = f;
        a = x;
    }
    unsigned long long low = 0, high = 0;
    void words(unsigned long long l, unsigned long long h) {
        low = l;
        high = h;
    }
};

TEST(Signals, DeliveryOrderDuplicatesAndCount) {
    vObject sender;
    Recorder r;
    EXPECT_EQ(emit(&sender, u"tick", 1), 0); // nobody connected
    ASSERT_TRUE(connect(&sender, u"tick", &r, &Recorder::first));
    ASSERT_TRUE(connect(&sender, u"tick", &r, &Recorder::second));
    ASSERT_TRUE(connect(&sender, u"tick", &r, &Recorder::first)); // duplicate runs twice
    ASSERT_TRUE(connect(&sender, u"other", &r, &Recorder::second));
    EXPECT_EQ(emit(&sender, u"tick", 7), 3);
    const std::vector<std::pair<int, long>> want = {{1, 7}, {2, 7}, {1, 7}};
    EXPECT_EQ(r.calls, want);
}

TEST(Signals, NamesMatchExactlyAndCaseSensitively) {
    vObject sender;
    Recorder r;
    ASSERT_TRUE(connect(&sender, u"BrowseEntry", &r, &Recorder::first));
    EXPECT_EQ(emit(&sender, u"browseentry", 1), 0);
    EXPECT_EQ(emit(&sender, u"BrowseEntr", 1), 0);
    EXPECT_EQ(emit(&sender, u"BrowseEntry ", 1), 0);
    EXPECT_TRUE(r.calls.empty());
    EXPECT_EQ(emit(&sender, u"BrowseEntry", 5), 1);
    ASSERT_EQ(r.calls.size(), 1u);
}

TEST(Signals, ArgumentsConvertBackAndMissingWordsReadZero) {
    vObject sender;
    Args r;
    ASSERT_TRUE(connect(&sender, u"three", &r, &Args::three));
    ASSERT_TRUE(connect(&sender, u"mixed", &r, &Args::mixed));
    ASSERT_TRUE(connect(&sender, u"words", &r, &Args::words));

    EXPECT_EQ(emit(&sender, u"three", -5, 6, 2147483647), 1);
    EXPECT_EQ(r.a, -5);
    EXPECT_EQ(r.b, 6);
    EXPECT_EQ(r.c, 2147483647);
    EXPECT_EQ(emit(&sender, u"three"), 1);
    EXPECT_EQ(r.a, 0);
    EXPECT_EQ(r.b, 0);
    EXPECT_EQ(r.c, 0);
    emit(&sender, u"three", 9);
    EXPECT_EQ(r.a, 9);
    EXPECT_EQ(r.b, 0);

    const char16_t* text = u"path";
    emit(&sender, u"mixed", text, true, 3);
    EXPECT_EQ(r.text, text); // the very pointer, not a copy
    EXPECT_TRUE(r.flag);
    EXPECT_EQ(r.a, 3);
    emit(&sender, u"mixed");
    EXPECT_EQ(r.text, nullptr);
    EXPECT_FALSE(r.flag);

    // A 64-bit total travels as two 32-bit halves.
    const unsigned long long total = 0x123456789abcdefULL;
    emit(&sender, u"words", static_cast<std::uint32_t>(total),
         static_cast<std::uint32_t>(total >> 32));
    EXPECT_EQ((r.high << 32) | r.low, total);
}

// A receiver whose handler acts on the sender while the emission runs.
struct Reentrant : vObject {
    vObject* sender = nullptr;
    int outer = 0, inner = 0, late = 0;
    void on_outer() {
        ++outer;
        // Emitting on the same sender and connecting to it from a handler must not deadlock.
        emit(sender, u"inner");
        connect(sender, u"outer", this, &Reentrant::on_late);
    }
    void on_inner() { ++inner; }
    void on_late() { ++late; }
};

TEST(Signals, HandlerMayEmitAndConnectButNewConnectionsWaitForNextEmission) {
    vObject sender;
    Reentrant r;
    r.sender = &sender;
    ASSERT_TRUE(connect(&sender, u"outer", &r, &Reentrant::on_outer));
    ASSERT_TRUE(connect(&sender, u"inner", &r, &Reentrant::on_inner));

    EXPECT_EQ(emit(&sender, u"outer"), 1);
    EXPECT_EQ(r.outer, 1);
    EXPECT_EQ(r.inner, 1);
    EXPECT_EQ(r.late, 0); // connected during the emission: not part of it

    EXPECT_EQ(emit(&sender, u"outer"), 2); // on_outer and the one late handler
    EXPECT_EQ(r.outer, 2);
    EXPECT_EQ(r.late, 1);
}

struct Base : vObject {
    int hits = 0;
    void on_base(int n) { hits += n; }
};
struct Derived : Base {};

TEST(Signals, HandlerOfABaseClass) {
    vObject sender;
    Derived d;
    ASSERT_TRUE(connect(&sender, u"x", &d, &Base::on_base));
    emit(&sender, u"x", 4);
    EXPECT_EQ(d.hits, 4);
}

TEST(Signals, NullSenderOrReceiverIsRefused) {
    vObject sender;
    Recorder r;
    EXPECT_FALSE(connect(nullptr, u"x", &r, &Recorder::first));
    EXPECT_FALSE(connect(&sender, u"x", static_cast<Recorder*>(nullptr), &Recorder::first));
    EXPECT_EQ(emit(nullptr, u"x", 1), 0);
}

TEST(Signals, DestroyedReceiverLosesItsConnectionsOnEverySender) {
    vObject a, b;
    Recorder keep;
    auto* gone = new Recorder;
    ASSERT_TRUE(connect(&a, u"s", gone, &Recorder::first));
    ASSERT_TRUE(connect(&a, u"s", &keep, &Recorder::first));
    ASSERT_TRUE(connect(&b, u"s", gone, &Recorder::second));
    ASSERT_TRUE(connect(&b, u"t", gone, &Recorder::second));
    delete gone;
    EXPECT_EQ(emit(&a, u"s", 1), 1);
    EXPECT_EQ(emit(&b, u"s", 1), 0);
    EXPECT_EQ(emit(&b, u"t", 1), 0);
    EXPECT_EQ(keep.calls.size(), 1u);
}

TEST(Signals, SenderDestroyedBeforeItsReceivers) {
    Recorder r;
    auto* sender = new vObject;
    ASSERT_TRUE(connect(sender, u"s", &r, &Recorder::first));
    EXPECT_EQ(emit(sender, u"s", 2), 1);
    delete sender;
    // r's destructor must not reach the freed sender (checked under the sanitizers); connecting
    // r to a new sender still works.
    vObject other;
    ASSERT_TRUE(connect(&other, u"s", &r, &Recorder::second));
    EXPECT_EQ(emit(&other, u"s", 3), 1);
    EXPECT_EQ(r.calls.back(), (std::pair<int, long>{2, 3}));
}

TEST(Signals, SelfConnectionAndDisconnectReceiver) {
    Recorder self;
    Recorder other;
    ASSERT_TRUE(connect(&self, u"s", &self, &Recorder::first));
    ASSERT_TRUE(connect(&self, u"s", &other, &Recorder::first));
    EXPECT_EQ(emit(&self, u"s", 1), 2);
    self.disconnect_receiver(&other);
    EXPECT_EQ(emit(&self, u"s", 1), 1);
    EXPECT_EQ(other.calls.size(), 1u);
    EXPECT_EQ(self.calls.size(), 2u);
}

// Destroys itself from its own handler.
struct SelfDestruct : vObject {
    int* counter;
    explicit SelfDestruct(int* c) : counter(c) {}
    void die() {
        ++*counter;
        delete this;
    }
};

TEST(Signals, HandlerDestroyingItsOwnReceiverStopsItsLaterConnections) {
    vObject sender;
    int count = 0;
    Recorder after;
    auto* r = new SelfDestruct(&count);
    ASSERT_TRUE(connect(&sender, u"s", r, &SelfDestruct::die));
    ASSERT_TRUE(connect(&sender, u"s", r, &SelfDestruct::die)); // must not run on the dead object
    ASSERT_TRUE(connect(&sender, u"s", &after, &Recorder::first));
    EXPECT_EQ(emit(&sender, u"s", 8), 2); // no deadlock; the second record is skipped
    EXPECT_EQ(count, 1);
    ASSERT_EQ(after.calls.size(), 1u);
    EXPECT_EQ(emit(&sender, u"s", 8), 1);
    EXPECT_EQ(count, 1);
}

// Destroys the sender of the signal it handles, as a parent closing a child from the child's
// own signal does.
struct SenderKiller : vObject {
    vObject* victim = nullptr;
    int calls = 0;
    void kill() {
        ++calls;
        delete victim;
        victim = nullptr;
    }
};

TEST(Signals, HandlerDestroyingTheSenderEndsTheEmission) {
    SenderKiller killer, later;
    auto* sender = new vObject;
    killer.victim = sender;
    ASSERT_TRUE(connect(sender, u"s", &killer, &SenderKiller::kill));
    ASSERT_TRUE(connect(sender, u"s", &later, &SenderKiller::kill));
    // The emission must neither touch the freed sender (it used to spin on its freed lock word)
    // nor call the handlers after the one that destroyed it.
    EXPECT_EQ(emit(sender, u"s"), 1);
    EXPECT_EQ(killer.calls, 1);
    EXPECT_EQ(later.calls, 0);
}

struct Counter : vObject {
    std::atomic<int>* total;
    explicit Counter(std::atomic<int>* t) : total(t) {}
    void hit() { total->fetch_add(1, std::memory_order_relaxed); }
};

TEST(SignalThreads, TwoThreadsEmitWhileAThirdConnects) {
    vObject sender;
    std::atomic<int> total{0};
    constexpr int receivers = 200;
    std::vector<std::unique_ptr<Counter>> counters;
    for (int i = 0; i < receivers; ++i)
        counters.push_back(std::make_unique<Counter>(&total));

    std::atomic<bool> done{false};
    std::atomic<long> reported{0};
    auto emitter = [&] {
        while (!done.load()) {
            const int n = emit(&sender, u"hit");
            EXPECT_GE(n, 0);
            EXPECT_LE(n, receivers);
            reported.fetch_add(n);
        }
    };
    std::thread e1(emitter), e2(emitter);
    std::thread connector([&] {
        for (auto& c : counters) {
            EXPECT_TRUE(connect(&sender, u"hit", c.get(), &Counter::hit));
            std::this_thread::yield();
        }
        done = true;
    });
    connector.join();
    e1.join();
    e2.join();
    // Every handler call was counted by exactly one emit.
    EXPECT_EQ(reported.load(), total.load());
    total = 0;
    EXPECT_EQ(emit(&sender, u"hit"), receivers);
    EXPECT_EQ(total.load(), receivers);
}

// A receiver whose handler touches its own members: its destructor disconnects first, so no call
// can run on a half-destroyed object.
struct Slow : vObject {
    std::atomic<bool>* gone;
    std::atomic<int>* late;
    std::vector<int> data = std::vector<int>(64, 1);
    Slow(std::atomic<bool>* g, std::atomic<int>* l) : gone(g), late(l) {}
    ~Slow() { disconnect_all(); }
    void on(int v) {
        if (gone->load())
            late->fetch_add(1); // called after the destructor returned
        data[v % 64] += 1;
    }
};

TEST(SignalThreads, ReceiverDestroyedWhileAnotherThreadEmits) {
    vObject sender;
    std::atomic<bool> stop{false};
    std::atomic<int> late{0};
    std::atomic<long> calls{0};
    std::thread emitter([&] {
        for (int i = 0; !stop.load(); ++i)
            calls.fetch_add(emit(&sender, u"v", i));
    });
    for (int round = 0; round < 300; ++round) {
        std::atomic<bool> gone{false};
        auto* r = new Slow(&gone, &late);
        ASSERT_TRUE(connect(&sender, u"v", r, &Slow::on));
        ASSERT_TRUE(connect(&sender, u"v", r, &Slow::on));
        std::this_thread::yield();
        delete r;
        gone = true;
        // Once deleted, the emitter's next emissions must find nothing of it.
    }
    stop = true;
    emitter.join();
    EXPECT_EQ(late.load(), 0);
    EXPECT_EQ(emit(&sender, u"v", 1), 0);
}

// The handler holds the call open until the destructor has started; the destructor must wait.
struct Blocking : vObject {
    std::atomic<bool> entered{false};
    std::atomic<bool>* destroying;
    std::atomic<bool>* finished;
    Blocking(std::atomic<bool>* d, std::atomic<bool>* f) : destroying(d), finished(f) {}
    ~Blocking() { disconnect_all(); }
    void on() {
        entered = true;
        while (!destroying->load())
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        *finished = true;
    }
};

TEST(SignalThreads, DestructorWaitsForACallInFlightOnAnotherThread) {
    vObject sender;
    std::atomic<bool> destroying{false}, finished{false};
    auto* r = new Blocking(&destroying, &finished);
    ASSERT_TRUE(connect(&sender, u"go", r, &Blocking::on));
    std::thread emitter([&] { EXPECT_EQ(emit(&sender, u"go"), 1); });
    while (!r->entered.load())
        std::this_thread::yield();
    destroying = true;
    delete r;
    EXPECT_TRUE(finished.load()); // the handler returned before the destructor did
    emitter.join();
}

} // namespace
