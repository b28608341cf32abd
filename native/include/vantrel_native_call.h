/* Calling convention and export attribute shared by the Pirrow and Nadrix headers.
 * 32-bit Windows clients expect the callee-pops convention of the system libraries;
 * every other platform uses its ordinary C ABI. */
#ifndef VANTREL_NATIVE_CALL_H
#define VANTREL_NATIVE_CALL_H

#if defined(_WIN32) && !defined(_WIN64)
#define VANTREL_NATIVE_CALL __stdcall
#else
#define VANTREL_NATIVE_CALL
#endif

#if defined(_WIN32)
#if defined(VANTREL_NATIVE_BUILDING)
#define VANTREL_NATIVE_API __declspec(dllexport)
#else
#define VANTREL_NATIVE_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define VANTREL_NATIVE_API __attribute__((visibility("default")))
#else
#define VANTREL_NATIVE_API
#endif

#endif
