#pragma once
#include <functional>
#include <memory>

// A shared object that comes into being the first time it is used and can be released and
// re-created later (a new skin means a new enemy, exit releases everything).
template <class T>
class Lazy {
public:
    T* operator->() { return &get(); }
    T& operator*() { return get(); }
    T& get()
    {
        if (!m_object) {
            m_object = std::make_unique<T>();
            if (m_setUp) {
                auto setUp = std::move(m_setUp);
                m_setUp = nullptr;
                setUp(*m_object);
            }
        }
        return *m_object;
    }
    // Runs once on the object when it next comes into being, whoever uses it first (settings
    // read at start-up for an object made later).
    void setUpWhenCreated(std::function<void(T&)> setUp) { m_setUp = std::move(setUp); }
    // The object if it exists, without creating it.
    T* existing() const { return m_object.get(); }
    explicit operator bool() const { return m_object != nullptr; }
    void reset() { m_object.reset(); }

private:
    std::unique_ptr<T> m_object;
    std::function<void(T&)> m_setUp;
};
