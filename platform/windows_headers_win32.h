// The Windows headers as the Win32 files of the platform layer (and their
// tests) include them: the lean set, without the min and max macros, the
// socket header before the rest as it must be.
#pragma once

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <windows.h>
