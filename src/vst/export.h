#pragma once

// Marks the functions a plug-in library exports to its host.
#if defined(_WIN32)
#define VST_EXPORT __declspec(dllexport)
#else
#define VST_EXPORT __attribute__((visibility("default")))
#endif
