#include "engine/platform/wildcard.h"

namespace quarnel {

bool IsMatchAllPattern(std::string_view pattern) { return pattern == "*" || pattern == "*.*"; }

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  if (IsMatchAllPattern(pattern)) return true;
  // Greedy match with one backtrack point: linear in practice, never exponential.
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace quarnel
