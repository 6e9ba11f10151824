#pragma once
#include <QString>

#include <zip.h>

namespace platform {

// libzip, opened the first time a skin package is read instead of with the program: it brings
// OpenSSL, which binds every one of its symbols as it loads, and three compressors, and the
// tray icon need not wait for any of them.
struct ZipLibrary {
    decltype(&zip_open) open = nullptr;
    decltype(&zip_discard) discard = nullptr;
    decltype(&zip_get_num_entries) get_num_entries = nullptr;
    decltype(&zip_stat_init) stat_init = nullptr;
    decltype(&zip_stat_index) stat_index = nullptr;
    decltype(&zip_compression_method_supported) compression_method_supported = nullptr;
    decltype(&zip_fopen_index) fopen_index = nullptr;
    decltype(&zip_fread) fread = nullptr;
    decltype(&zip_fclose) fclose = nullptr;

    // The library, loaded once; nullptr, with the reason in `why`, when it cannot be loaded or
    // lacks one of the functions.
    static const ZipLibrary* Get(QString* why = nullptr);
};

} // namespace platform
