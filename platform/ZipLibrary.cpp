#include "platform/ZipLibrary.h"

#include "core/Logging.h"

#include <dlfcn.h>

namespace platform {

namespace {

struct Loaded {
    ZipLibrary functions;
    QString error;   // empty when every function was found
};

template <typename F>
bool bind(void* handle, const char* name, F& slot, QString& error)
{
    slot = reinterpret_cast<F>(dlsym(handle, name));
    if (!slot && error.isEmpty())
        error = QStringLiteral("%1 has no %2").arg(QString::fromLatin1(GREMLOK_LIBZIP_SONAME), QString::fromLatin1(name));
    return slot != nullptr;
}

Loaded load()
{
    Loaded l;
    void* handle = dlopen(GREMLOK_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        l.error = why ? QString::fromLocal8Bit(why) : QStringLiteral("%1 cannot be loaded").arg(QString::fromLatin1(GREMLOK_LIBZIP_SONAME));
        qCWarning(lcPlatform) << "Skin packages cannot be read:" << l.error;
        return l;
    }
    ZipLibrary& z = l.functions;
    QString& e = l.error;
    bind(handle, "zip_open", z.open, e);
    bind(handle, "zip_discard", z.discard, e);
    bind(handle, "zip_get_num_entries", z.get_num_entries, e);
    bind(handle, "zip_stat_init", z.stat_init, e);
    bind(handle, "zip_stat_index", z.stat_index, e);
    bind(handle, "zip_compression_method_supported", z.compression_method_supported, e);
    bind(handle, "zip_fopen_index", z.fopen_index, e);
    bind(handle, "zip_fread", z.fread, e);
    bind(handle, "zip_fclose", z.fclose, e);
    // Kept loaded: it is needed again for every skin, and OpenSSL would not unload anyway.
    if (!e.isEmpty())
        qCWarning(lcPlatform) << "Skin packages cannot be read:" << e;
    return l;
}

} // namespace

const ZipLibrary* ZipLibrary::Get(QString* why)
{
    static const Loaded loaded = load();   // thread-safe, once
    if (!loaded.error.isEmpty()) {
        if (why)
            *why = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}

} // namespace platform
