#include "engine/enumerator.h"

#include <vector>

namespace quarnel {
namespace {

constexpr std::string_view kSeparator(&kPathSeparator, 1);

void EnumerateLevel(const Text& folder, const TextList& patterns, TextList* list,
                    std::vector<FolderId>* ancestors) {
  Platform& platform = Platform::Default();
  FolderId id;
  const bool known = platform.GetFolderId(folder, &id);
  if (known) {
    for (const FolderId& a : *ancestors) {
      if (a == id) return;  // a link led back onto the current path: the walk would never end
    }
  }

  // Not the last byte alone: a folder named with a character whose second byte is 0x5C (淺 in
  // GBK) still needs its backslash, or its search would list the parent instead.
  const Text prefix =
      platform.EndsWithSeparator(folder) ? folder : ConcatText({folder, kSeparator});
  SearchHandle handle;
  for (const Text& pattern : patterns) {
    for (Text name = FindEntry(ConcatText({prefix, pattern}), EntryKind::kFiles, &handle);
         !name.empty(); name = FindEntry(Text(), EntryKind::kFiles, &handle)) {
      list->push_back(ConcatText({prefix, name}));
      platform.PumpEvents();
    }
  }

  if (known) ancestors->push_back(id);
  for (Text name = FindEntry(ConcatText({prefix, "*.*"}), EntryKind::kFolders, &handle);
       !name.empty(); name = FindEntry(Text(), EntryKind::kFolders, &handle)) {
    if (CompareText(name, ".") == 0 || CompareText(name, "..") == 0) continue;
    EnumerateLevel(ConcatText({prefix, name}), patterns, list, ancestors);
    platform.PumpEvents();
  }
  if (known) ancestors->pop_back();
}

}  // namespace

Text FindEntry(const Text& search_path, EntryKind kind, SearchHandle* handle) {
  if (!search_path.empty()) {
    handle->search = Platform::Default().StartSearch(search_path);
  }
  if (!handle->search) return Text();
  DirEntry entry;
  while (handle->search->Next(&entry)) {
    if (entry.is_folder == (kind == EntryKind::kFolders) && !entry.name.empty()) {
      return std::move(entry.name);
    }
  }
  handle->search.reset();
  return Text();
}

int64_t EnumerateFiles(const Text& folder, const Text& patterns, TextList* list) {
  const Text copy = folder;
  std::vector<FolderId> ancestors;
  EnumerateLevel(copy, SplitText(patterns, "|"), list, &ancestors);
  return static_cast<int64_t>(list->size());
}

}  // namespace quarnel
