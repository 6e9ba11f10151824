#include "platform/LateLibrary.h"

#include <dlfcn.h>

namespace platform {

LateLibrary::LateLibrary(const char* soname)
    : m_soname(soname)
{
    m_handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* why = dlerror();
        m_error = why ? QString::fromLocal8Bit(why) : QStringLiteral("%1 cannot be loaded").arg(QString::fromLatin1(soname));
    }
}

void* LateLibrary::symbol(const char* name)
{
    if (!m_handle)
        return nullptr;
    void* found = dlsym(m_handle, name);
    if (!found && m_error.isEmpty())
        m_error = QStringLiteral("%1 has no %2").arg(QString::fromLatin1(m_soname), QString::fromLatin1(name));
    return found;
}

} // namespace platform
