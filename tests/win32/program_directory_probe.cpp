// Helper for the ProgramDirectory tests: prints the program's folder and the hit log's path, one
// per line, exactly as the engine computes them for wherever this executable has been copied.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "engine/file_ops.h"

int main() {
  _setmode(_fileno(stdout), _O_BINARY);  // the bytes as they are, no "\r" added
  const quarnel::Text folder = quarnel::ProgramDirectory();
  const quarnel::Text log = quarnel::DefaultLogPath();
  std::fwrite(folder.data(), 1, folder.size(), stdout);
  std::fputc('\n', stdout);
  std::fwrite(log.data(), 1, log.size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}
