#pragma once
// A growable list of pointers that may own its elements. No lock of its own: owners guard it.

#include <cstdlib>
#include <cstring>

template <class T> class alist {
public:
    explicit alist(unsigned capacity = 0, bool owns = false) : owns_(owns) {
        if (capacity != 0) {
            items_ = static_cast<T**>(std::calloc(capacity, sizeof(T*)));
            capacity_ = items_ ? capacity : 0;
        }
    }
    alist(const alist&) = delete;
    alist& operator=(const alist&) = delete;
    ~alist() { destroy(); }

    unsigned count() const { return count_; }
    unsigned capacity() const { return capacity_; }
    bool owns() const { return owns_; }
    void set_owns(bool owns) { owns_ = owns; }

    // The element at index, or null when index >= count (negative indices give null too).
    T* get(unsigned index) const { return index < count_ ? items_[index] : nullptr; }
    T* operator[](unsigned index) const { return get(index); }

    bool push(T* element) {
        if (!grow(count_ + 1))
            return false;
        items_[count_++] = element;
        return true;
    }

    // The position is clamped to count; later elements move one slot up.
    bool insert(T* element, unsigned position) {
        if (!grow(count_ + 1))
            return false;
        if (position > count_)
            position = count_;
        std::memmove(items_ + position + 1, items_ + position, (count_ - position) * sizeof(T*));
        items_[position] = element;
        ++count_;
        return true;
    }

    // Removes every occurrence of the pointer, keeping the order of the rest; never deletes it.
    bool remove(const T* element) {
        unsigned dropped = 0;
        for (unsigned i = 0; i < count_; ++i) {
            if (items_[i] == element)
                ++dropped;
            else
                items_[i - dropped] = items_[i];
        }
        for (unsigned i = count_ - dropped; i < count_; ++i)
            items_[i] = nullptr;
        count_ -= dropped;
        return dropped != 0;
    }

    int index_of(const T* element) const {
        for (unsigned i = 0; i < count_; ++i)
            if (items_[i] == element)
                return static_cast<int>(i);
        return -1;
    }
    bool contains(const T* element) const { return index_of(element) >= 0; }

    void swap(unsigned i, unsigned j) {
        if (i < count_ && j < count_) {
            T* t = items_[i];
            items_[i] = items_[j];
            items_[j] = t;
        }
    }

    // Removes and returns the last element; null when empty.
    T* pop() {
        if (count_ == 0)
            return nullptr;
        T* last = items_[--count_];
        items_[count_] = nullptr;
        return last;
    }

    // Deletes the elements when owning (a throwing destructor is swallowed); the slots stay allocated.
    void clear() {
        unsigned n = count_;
        count_ = 0;
        for (unsigned i = 0; i < n; ++i) {
            T* element = items_[i];
            items_[i] = nullptr;
            if (owns_ && element) {
                try {
                    delete element;
                } catch (...) {
                }
            }
        }
    }

    void destroy() {
        clear();
        std::free(items_);
        items_ = nullptr;
        capacity_ = 0;
    }

private:
    // Capacity 0 becomes 16, then doubles until it holds n.
    bool grow(unsigned n) {
        if (capacity_ >= n)
            return true;
        unsigned cap = capacity_ == 0 ? 16 : capacity_;
        while (cap < n)
            cap *= 2;
        T** fresh = static_cast<T**>(std::calloc(cap, sizeof(T*)));
        if (!fresh)
            return false;
        if (count_)
            std::memcpy(fresh, items_, count_ * sizeof(T*));
        std::free(items_);
        items_ = fresh;
        capacity_ = cap;
        return true;
    }

    unsigned capacity_ = 0;
    unsigned count_ = 0;
    T** items_ = nullptr;
    bool owns_ = false;
};
