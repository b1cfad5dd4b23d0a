// The file enumerator: every file below a folder, depth-first, a folder's own files before
// anything of its subfolders, each folder in the order the OS delivers its entries, never sorted.
// Runs entirely on the calling thread.
#ifndef QUARNEL_ENGINE_ENUMERATOR_H_
#define QUARNEL_ENGINE_ENUMERATOR_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/platform/platform.h"
#include "engine/text.h"

namespace quarnel {

enum class EntryKind { kFiles, kFolders };

// One folder level's search; closed when no search is open on it.
struct SearchHandle {
  std::unique_ptr<DirectorySearch> search;
};

// Given a non-empty search path, ends any search open on the handle and starts one of that path;
// given the empty text, continues the open search. Returns the next entry name of the wanted kind,
// or the empty text once the search has no more (the handle is then closed).
Text FindEntry(const Text& search_path, EntryKind kind, SearchHandle* handle);

// Appends to list the path of every file below folder that one of the "|"-separated patterns
// matches (folder prefix + name; the prefix is the folder plus a separator unless its last
// character already is one). Every subfolder is walked, links to folders included; a descent that
// comes back to a folder already on the current path ends there. Calls PumpEvents after every
// listed file and every finished subfolder. Returns the number of entries the list then holds.
int64_t EnumerateFiles(const Text& folder, const Text& patterns, TextList* list);

// EnumerateFiles with "*.*", giving the same list, also telling for each listed path whether the
// listing itself said it is a regular file (known_regular gets one entry per path appended to
// list). Reads folders on `threads` threads at once (0: one per core; 1: the calling thread
// alone); PumpEvents is then called as the list is put together, on the calling thread.
void ListEveryFile(const Text& folder, TextList* list, std::vector<bool>* known_regular,
                   unsigned threads = 0);

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_ENUMERATOR_H_
