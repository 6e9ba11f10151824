#pragma once

// Each window of the program exists at most once: it is created the first time code refers to
// it and forgotten when it is destroyed, so the next reference creates a fresh one.
template <class T>
class SingleForm {
public:
    static T& instance()
    {
        if (!s_instance)
            s_instance = new T();
        return *s_instance;
    }
    static bool isLoaded() { return s_instance != nullptr; }
    static T* existing() { return s_instance; }
    // Destroys the window now if it exists.
    static void release()
    {
        T* form = s_instance;
        s_instance = nullptr;
        delete form;
    }

protected:
    SingleForm() = default;
    ~SingleForm()
    {
        if (s_instance == static_cast<T*>(this))
            s_instance = nullptr;
    }

private:
    static inline T* s_instance = nullptr;
};
