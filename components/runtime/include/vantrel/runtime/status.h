#pragma once
// Status codes of the component layer. Zero and positive values are success; the
// negative values keep the numbers clients of in-process servers already know.
#include <cstdint>

namespace vantrel::rt {

using HResult = int32_t;

inline constexpr HResult kOk = 0;
inline constexpr HResult kFalse = 1;  // success, but "no" (e.g. cannot unload now)
inline constexpr HResult kNotImpl = int32_t(0x80004001u);
inline constexpr HResult kNoInterface = int32_t(0x80004002u);
inline constexpr HResult kPointer = int32_t(0x80004003u);
inline constexpr HResult kFail = int32_t(0x80004005u);
inline constexpr HResult kMemberNotFound = int32_t(0x80020003u);
inline constexpr HResult kTypeMismatch = int32_t(0x80020005u);
inline constexpr HResult kUnknownName = int32_t(0x80020006u);
inline constexpr HResult kException = int32_t(0x80020009u);
inline constexpr HResult kOverflow = int32_t(0x8002000Au);
inline constexpr HResult kBadIndex = int32_t(0x8002000Bu);
inline constexpr HResult kBadParamCount = int32_t(0x8002000Eu);
inline constexpr HResult kClassNotAvailable = int32_t(0x80040111u);
inline constexpr HResult kClassNotRegistered = int32_t(0x80040154u);
inline constexpr HResult kRegistrationFailed = int32_t(0x80040201u);
inline constexpr HResult kModuleNotFound = int32_t(0x8007007Eu);

inline constexpr bool Succeeded(HResult hr) { return hr >= 0; }
inline constexpr bool Failed(HResult hr) { return hr < 0; }

}  // namespace vantrel::rt
