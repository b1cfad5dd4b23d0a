// reference_scan: the plain algorithm, kept as the oracle for the benchmark's hit check. Lists
// FOLDER with the engine's enumerator, then for each file in list order reads it whole, cuts it at
// the first zero byte, splits the signature text at "\r\n" and tries every line with FindInText.
// Prints each hit's path on its own line, in list order.
//
//   reference_scan -f SIGNATURES [--only PATHS] FOLDER
//
// SIGNATURES holds one signature a line ("\n" counts as "\r\n", as in quarnel-scan). With --only,
// just the files named in PATHS (one a line) are examined: a caller that knows every other file
// holds none of the signatures anywhere (say, from `rg -a -l`) gets the same answer much sooner.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <unordered_set>

#include "engine/enumerator.h"
#include "engine/file_ops.h"
#include "engine/text.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  std::string signature_file, only_file, folder;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-f" && i + 1 < argc) {
      signature_file = argv[++i];
    } else if (arg == "--only" && i + 1 < argc) {
      only_file = argv[++i];
    } else {
      folder = arg;
    }
  }
  if (signature_file.empty() || folder.empty()) {
    std::cerr << "usage: reference_scan -f SIGNATURES [--only PATHS] FOLDER\n";
    return 2;
  }
  std::string text;
  const std::string raw = quarnel::BytesToText(ReadAll(signature_file));
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) text += '\r';
    text += raw[i];
  }
  std::unordered_set<std::string> only;
  const bool filtered = !only_file.empty();
  if (filtered) {
    std::ifstream in(only_file, std::ios::binary);
    for (std::string line; std::getline(in, line);) only.insert(line);
  }

  quarnel::TextList files;
  quarnel::EnumerateFiles(folder, "*.*", &files);
  for (const quarnel::Text& path : files) {
    if (filtered && only.count(path) == 0) continue;
    const quarnel::Text file_text = quarnel::BytesToText(quarnel::ReadWholeFile(path));
    for (const quarnel::Text& signature : quarnel::SplitText(text, "\r\n")) {
      if (quarnel::FindInText(file_text, signature) != -1) {
        std::fwrite(path.data(), 1, path.size(), stdout);
        std::fputc('\n', stdout);
        break;
      }
    }
  }
  return 0;
}
