#pragma once
#include <QString>

#include <zip.h>

namespace platform {

// libzip, opened the first time a skin package is read instead of with the program: it brings
// OpenSSL, which binds every one of its symbols as it loads, and three compressors, and the
// tray icon need not wait for any of them.
#define GREMLOK_ZIP_FUNCTIONS(F) \
    F(open) F(discard) F(get_num_entries) F(stat_init) F(stat_index) \
    F(compression_method_supported) F(fopen_index) F(fread) F(fclose)

struct ZipLibrary {
#define GREMLOK_ZIP_SLOT(name) decltype(&zip_##name) name = nullptr;
    GREMLOK_ZIP_FUNCTIONS(GREMLOK_ZIP_SLOT)
#undef GREMLOK_ZIP_SLOT

    // The library, loaded once; nullptr, with the reason in `why`, when it cannot be loaded or
    // lacks one of the functions.
    static const ZipLibrary* Get(QString* why = nullptr);
};

} // namespace platform
