// Name matching for platforms whose directory search takes no wildcard pattern.
#ifndef QUARNEL_ENGINE_PLATFORM_WILDCARD_H_
#define QUARNEL_ENGINE_PLATFORM_WILDCARD_H_

#include <string_view>

namespace quarnel {

// "*" and "*.*" match every name, with or without a dot, as they do on Windows.
bool IsMatchAllPattern(std::string_view pattern);

// '*' matches any run of bytes, '?' any one byte; every other byte matches itself exactly.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_PLATFORM_WILDCARD_H_
