// Symbol visibility of the shared library: the library is built with hidden
// visibility, so only what carries TAVSW_API is exported.
#ifndef TAVSOFTWARE_EXPORT_H
#define TAVSOFTWARE_EXPORT_H

#if defined(_WIN32)
#if defined(TAVSOFTWARE_BUILDING)
#define TAVSW_API __declspec(dllexport)
#else
#define TAVSW_API __declspec(dllimport)
#endif
#else
#define TAVSW_API __attribute__((visibility("default")))
#endif

#endif  // TAVSOFTWARE_EXPORT_H
