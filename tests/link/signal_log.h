#pragma once
// Test helpers for the link worker: a receiver that records link signals as text lines, and jobs
// that record when they run and when they are destroyed.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/stream.h"
#include "core/vobject.h"
#include "link/samsung_comm.h"
#include "toolkit/thread_event.h"

// Records every link signal as one line, e.g. "BrowseEntry /a/ x.txt 0 0 12".
class signal_log : public vObject {
public:
    explicit signal_log(SamsungComm& link) : link_(link) {
        vObject* s = &link;
        connect(s, u"connected", this, &signal_log::connected);
        connect(s, u"disconnected", this, &signal_log::disconnected);
        connect(s, u"setprogressmax", this, &signal_log::progressMax);
        connect(s, u"addprogressmax", this, &signal_log::addProgressMax);
        connect(s, u"addprogress", this, &signal_log::addProgress);
        connect(s, u"setprogressinfo", this, &signal_log::progressInfo);
        connect(s, u"BrowseBegin", this, &signal_log::browseBegin);
        connect(s, u"BrowseEntry", this, &signal_log::browseEntry);
        connect(s, u"BrowseEnd", this, &signal_log::browseEnd);
        connect(s, u"InfoCommand", this, &signal_log::info);
        connect(s, u"ReadBufCommand", this, &signal_log::readBuf);
    }

    std::vector<std::string> lines() {
        std::lock_guard<std::mutex> g(m_);
        return lines_;
    }
    // Lines starting with the given signal name.
    std::vector<std::string> named(const std::string& name) {
        std::vector<std::string> out;
        for (const std::string& l : lines())
            if (l == name || l.rfind(name + " ", 0) == 0)
                out.push_back(l);
        return out;
    }
    void clear() {
        std::lock_guard<std::mutex> g(m_);
        lines_.clear();
    }
    // Bytes of the last "ReadBufCommand" stream, copied during the handler call.
    std::string lastBuffer() {
        std::lock_guard<std::mutex> g(m_);
        return buffer_;
    }
    // Thread on which the last signal of the given kind ran.
    std::thread::id browseThread() {
        std::lock_guard<std::mutex> g(m_);
        return browse_thread_;
    }

private:
    static std::string text(const char16_t* t) { return t ? str(t).to_utf8() : "(null)"; }
    void add(const std::string& line) {
        std::lock_guard<std::mutex> g(m_);
        lines_.push_back(line);
    }
    void connected(vObject* o) { add(o == &link_ ? "connected" : "connected ?"); }
    void disconnected(vObject* o) { add(o == &link_ ? "disconnected" : "disconnected ?"); }
    void progressMax(std::uint32_t lo, std::uint32_t hi) {
        add("setprogressmax " + std::to_string(lo) + " " + std::to_string(hi));
    }
    void addProgressMax(std::uint32_t n) { add("addprogressmax " + std::to_string(n)); }
    void addProgress(std::uint32_t n) { add("addprogress " + std::to_string(n)); }
    void progressInfo(const char16_t* t) { add("setprogressinfo " + text(t)); }
    void browseBegin(const char16_t* p) {
        {
            std::lock_guard<std::mutex> g(m_);
            browse_thread_ = std::this_thread::get_id();
        }
        add("BrowseBegin " + text(p));
    }
    void browseEntry(const char16_t* p, const char16_t* name, std::uint32_t attr,
                     std::uint32_t extra, std::uint32_t size) {
        add("BrowseEntry " + text(p) + " " + text(name) + " " + std::to_string(attr) + " " +
            std::to_string(extra) + " " + std::to_string(size));
    }
    void browseEnd(const char16_t* p) { add("BrowseEnd " + text(p)); }
    void info(const char16_t* label, const char16_t* answer) {
        add("InfoCommand " + text(label) + "|" + text(answer));
    }
    void readBuf(const char16_t* path, buf* contents) {
        std::string bytes;
        if (contents && contents->data())
            bytes.assign(reinterpret_cast<const char*>(contents->data()), contents->size());
        {
            std::lock_guard<std::mutex> g(m_);
            buffer_ = bytes;
        }
        add("ReadBufCommand " + text(path) + " " + std::to_string(bytes.size()));
    }

    SamsungComm& link_;
    std::mutex m_;
    std::vector<std::string> lines_;
    std::string buffer_;
    std::thread::id browse_thread_;
};

// A job that runs a function, then reports through events when it ran and when it was destroyed.
class probe_job : public SamsungJob {
public:
    explicit probe_job(std::function<void(SamsungComm&)> body = {}, std::int32_t weight = 0,
                       thread_event* destroyed = nullptr)
        : body_(std::move(body)), weight_(weight), destroyed_(destroyed) {}
    ~probe_job() override {
        if (destroyed_)
            destroyed_->set();
    }
    std::int32_t weight() override { return weight_; }
    void execute(SamsungComm& link) override {
        if (body_)
            body_(link);
    }

private:
    std::function<void(SamsungComm&)> body_;
    std::int32_t weight_;
    thread_event* destroyed_;
};

// Waits (up to a generous limit) until every job queued so far has run and been destroyed.
inline bool wait_for_jobs(SamsungComm& link, std::uint32_t limit_ms = 60000) {
    thread_event done(true);
    link.addJob(new probe_job({}, 0, &done));
    return done.wait(limit_ms);
}

// Waits until the worker found the queue empty and reset the total.
inline bool wait_for_zero_total(SamsungComm& link) {
    thread_event pause(true);
    for (int i = 0; i < 6000 && link.progressTotal() != 0; ++i)
        pause.wait(10);
    return link.progressTotal() == 0;
}

// Wraps a job of the link and records its outcome before the link destroys it.
template <class Job> class recorded : public Job {
public:
    template <class... A>
    recorded(std::atomic<int>* outcome, A&&... args)
        : Job(std::forward<A>(args)...), outcome_(outcome) {}
    void execute(SamsungComm& link) override {
        Job::execute(link);
        *outcome_ = this->ok() ? 1 : 0;
    }

private:
    std::atomic<int>* outcome_;
};
