// corpus_gen: writes the generated parts of the benchmark corpus, deterministically.
//
//   corpus_gen small DIR COUNT     COUNT small PHP-like files (200-4,000 bytes), 1,000 per folder;
//                                  every 10,000th holds "eval(" (a planted hit)
//   corpus_gen big FILE BYTES      one clean text file of BYTES bytes whose last line holds "eval("
//   corpus_gen signatures COUNT    the 8 default signatures, then generated ones up to COUNT, one a
//                                  line on standard output
//
// The generated texts use no byte 0 and none of the signatures except where planted: the
// generated signatures are long random tokens, and the filler is drawn from words that hold none.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/window_description.h"

namespace {

// xorshift64*: the same corpus on every machine.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1DULL;
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }

 private:
  uint64_t state_;
};

constexpr std::string_view kWords[] = {
    "$value",    "return",  "function", "array(",   "$this->", "if (",     "foreach",  "echo",
    "isset(",    "null;",   "public",   "static",   "=>",      "$query",   "string",   "count(",
    "$options",  "class",   "implode(", "'name'",   "// ",     "$result",  "strlen(",  "));",
    "get_option", "$i++",   "true",     "false",    "else",    "{",        "}",        "$data",
    "sprintf(",  "__(",     "$wpdb",    "private",  "const",   "new",      "self::",   "json",
};

std::string FillerLine(Random& rng) {
  std::string line = "    ";
  const size_t words = 3 + rng.Below(9);
  for (size_t i = 0; i < words; ++i) {
    line += kWords[rng.Below(std::size(kWords))];
    line += ' ';
  }
  line += '\n';
  return line;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

int Small(const std::string& dir, long count) {
  Random rng(0x51a11f11e5ULL);
  std::string folder;
  for (long i = 0; i < count; ++i) {
    if (i % 1000 == 0) {
      char name[32];
      std::snprintf(name, sizeof name, "/d%03ld", i / 1000);
      folder = dir + name;
      ::mkdir(folder.c_str(), 0755);
    }
    const size_t size = 200 + rng.Below(3800);
    std::string text = "<?php\n";
    while (text.size() < size) text += FillerLine(rng);
    if (i % 10000 == 5000) text += "    eval($_POST['cmd']);\n";
    char name[32];
    std::snprintf(name, sizeof name, "/f%06ld.php", i);
    if (!WriteFile(folder + name, text)) return 1;
  }
  return 0;
}

int Big(const std::string& path, long long bytes) {
  Random rng(0xb16f11eULL);
  std::string block;
  while (block.size() < (1u << 20)) block += FillerLine(rng);
  const std::string tail = "\n    eval($_POST['cmd']);\n";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 1;
  long long left = bytes - static_cast<long long>(tail.size());
  bool ok = true;
  while (ok && left > 0) {
    const size_t n = left < static_cast<long long>(block.size()) ? static_cast<size_t>(left)
                                                                  : block.size();
    ok = std::fwrite(block.data(), 1, n, f) == n;
    left -= static_cast<long long>(n);
  }
  ok = ok && std::fwrite(tail.data(), 1, tail.size(), f) == tail.size();
  return std::fclose(f) == 0 && ok ? 0 : 1;
}

int Signatures(long count) {
  // The defaults first, one a line (the scanner turns "\n" into the box's "\r\n").
  std::string text(quarnel::ui::kDefaultSignatureText);
  std::string lines;
  for (char c : text) {
    if (c != '\r') lines += c;
  }
  lines += '\n';
  Random rng(0x5167ULL);
  static constexpr std::string_view kAlphabet =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_$(";
  static constexpr std::string_view kStems[] = {"eval_", "$_", "base64_", "assert", "gz", "str_"};
  for (long i = 8; i < count; ++i) {
    std::string sig;
    // Half look like code, half like encoded payloads: both kinds appear in real lists.
    if (i % 2 == 0) sig = kStems[rng.Below(std::size(kStems))];
    const size_t len = 8 + rng.Below(17);
    while (sig.size() < len) sig += kAlphabet[rng.Below(kAlphabet.size())];
    lines += sig;
    lines += '\n';
  }
  std::fwrite(lines.data(), 1, lines.size(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "small" && argc == 4) return Small(argv[2], std::atol(argv[3]));
  if (mode == "big" && argc == 4) return Big(argv[2], std::atoll(argv[3]));
  if (mode == "signatures" && argc == 3) return Signatures(std::atol(argv[2]));
  std::fprintf(stderr, "usage: corpus_gen small DIR COUNT | big FILE BYTES | signatures COUNT\n");
  return 2;
}
