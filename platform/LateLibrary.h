#pragma once
#include <QString>

namespace platform {

// A shared library opened when it is first needed rather than with the program, and kept
// open. Its functions are looked up by name into typed slots; the first one missing, or the
// library itself missing, is the error.
class LateLibrary {
public:
    explicit LateLibrary(const char* soname);

    template <typename F>
    void Bind(const char* name, F& slot)
    {
        slot = reinterpret_cast<F>(symbol(name));
    }

    // Empty when the library and every function bound so far were found.
    const QString& Error() const { return m_error; }

private:
    void* symbol(const char* name);

    const char* m_soname;
    void* m_handle = nullptr;
    QString m_error;
};

// A table of a late library's functions, filled once by `bind` (which calls Bind for each).
template <typename Functions>
class LoadedLate {
public:
    template <typename BindAll>
    LoadedLate(const char* soname, BindAll bind)
    {
        LateLibrary library(soname);
        bind(library, m_functions);
        m_error = library.Error();
    }
    // The functions, or nullptr with the reason in `why`.
    const Functions* Get(QString* why) const
    {
        if (m_error.isEmpty())
            return &m_functions;
        if (why)
            *why = m_error;
        return nullptr;
    }

private:
    Functions m_functions;
    QString m_error;
};

} // namespace platform
