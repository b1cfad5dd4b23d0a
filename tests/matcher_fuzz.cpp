// libFuzzer target: the fast matcher against the plain FindInText/SplitText on any input.
// Input: byte 0 picks the chunk size (1-64), byte 1 the signature text's length; then the
// signature text, then the file's bytes. Aborts on the first disagreement.
//
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DQUARNEL_BUILD_FUZZ=ON
//   cmake --build build-fuzz --target matcher_fuzz && build-fuzz/tests/matcher_fuzz -max_len=4096
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/matcher.h"
#include "engine/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t chunk = 1 + data[0] % 64;
  const size_t signature_bytes = std::min<size_t>(data[1], size - 2);
  const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
  // The signature box holds a text: nothing after a zero byte.
  const quarnel::Text signatures = quarnel::BytesToText(input.substr(0, signature_bytes));
  const std::string_view bytes = input.substr(signature_bytes);

  const quarnel::Text text = quarnel::BytesToText(bytes);
  bool want = false;
  for (const quarnel::Text& line : quarnel::SplitText(signatures, "\r\n")) {
    if (quarnel::FindInText(text, line) != -1) {
      want = true;
      break;
    }
  }
  const quarnel::SignatureMatcher matcher(signatures);
  quarnel::MatchStream stream(chunk);
  if (matcher.FindIn(text) != want || stream.FindIn(matcher, bytes) != want) std::abort();
  return 0;
}
