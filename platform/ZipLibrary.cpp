#include "platform/ZipLibrary.h"

#include "platform/LateLibrary.h"

namespace platform {

const ZipLibrary* ZipLibrary::Get(QString* why)
{
    static const LoadedLate<ZipLibrary> loaded(GREMLOK_LIBZIP_SONAME, [](LateLibrary& library, ZipLibrary& f) {
#define GREMLOK_ZIP_BIND(name) library.Bind("zip_" #name, f.name);
        GREMLOK_ZIP_FUNCTIONS(GREMLOK_ZIP_BIND)
#undef GREMLOK_ZIP_BIND
    });
    return loaded.Get(why);
}

} // namespace platform
