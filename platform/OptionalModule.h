#pragma once
// Parts of the program that need large libraries few sessions use (Qt SQL for the fight
// history, Qt Charts for the Statistics window) are modules loaded on first use, so the
// program starts and idles without those libraries. A module that is missing or broken costs
// its own feature only: callers get no entry point and a reason to show or log.
#include <QFunctionPointer>
#include <QString>
#include <memory>

class QLibrary;

namespace platform {

class OptionalModule {
public:
    // `name` is the module's file name without "lib" and ".so", e.g. "gremlok_history".
    explicit OptionalModule(const QString& name);
    ~OptionalModule();
    OptionalModule(const OptionalModule&) = delete;
    OptionalModule& operator=(const OptionalModule&) = delete;

    // The module's entry point `symbol`, loading the module on the first call; nullptr when it
    // cannot be loaded or lacks the symbol (ErrorString() says why). A failed load is tried
    // again next time: a module put back in place is then found.
    template <class F>
    F Function(const char* symbol) { return reinterpret_cast<F>(resolve(symbol)); }
    QString ErrorString() const { return m_error; }

    // Where the module file is looked for: lib/.../gremlok relative to the program's folder as
    // installed, then the program's own folder (the build tree).
    QStringList Candidates() const;

    // Looks in this folder only from now on (tests, benchmarks); empty: the usual places.
    static void SetFolder(const QString& folder);

private:
    QFunctionPointer resolve(const char* symbol);

    QString m_name;
    QString m_error;
    std::unique_ptr<QLibrary> m_library;
};

} // namespace platform
