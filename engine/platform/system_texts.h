// The engine's own user-visible texts, in the system's code page: GBK bytes on Windows (the -A
// calls take them as they are), UTF-8 elsewhere.
#ifndef QUARNEL_ENGINE_PLATFORM_SYSTEM_TEXTS_H_
#define QUARNEL_ENGINE_PLATFORM_SYSTEM_TEXTS_H_

#include <string_view>

namespace quarnel {

#ifdef _WIN32
// 全部检测完成
inline constexpr std::string_view kScanCompleteNotice =
    "\xc8\xab\xb2\xbf\xbc\xec\xb2\xe2\xcd\xea\xb3\xc9";
#else
inline constexpr std::string_view kScanCompleteNotice = "全部检测完成";
#endif

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_PLATFORM_SYSTEM_TEXTS_H_
