// Whole-file operations and the program's folder, on top of the platform layer.
// Every function may be called from any thread.
#ifndef QUARNEL_ENGINE_FILE_OPS_H_
#define QUARNEL_ENGINE_FILE_OPS_H_

#include "engine/text.h"

namespace quarnel {

// The file's whole contents, or the empty buffer on every failure (empty name, missing, a folder
// or other non-regular file, no access, a read error, no memory). Sizes are 64-bit: a file of any
// size is read.
ByteBuffer ReadWholeFile(const Text& name);

// Creates the file or cuts it to 0 bytes and writes bytes. False on any failure (empty name, no
// open, a failed write or close); a file that cannot be opened keeps its contents.
bool WriteWholeFile(const Text& name, std::string_view bytes);

// The folder of the running executable, without a trailing separator.
Text ProgramDirectory();

// "list_log.txt" beside the executable.
Text DefaultLogPath();

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_FILE_OPS_H_
