#include "engine/enumerator.h"

#include <vector>

namespace quarnel {
namespace {

constexpr std::string_view kSeparator(&kPathSeparator, 1);

bool IsDotOrDotDot(const Text& name) {
  return CompareText(name, ".") == 0 || CompareText(name, "..") == 0;
}

class Walker {
 public:
  Walker(const Text& patterns, TextList* list, std::vector<bool>* known_regular)
      : patterns_(SplitText(patterns, "|")),
        // One pattern that takes every name: files and subfolders can come from one read of
        // each folder, in the same order as from a files pass and then a folders pass.
        one_pass_(patterns_.size() == 1 && IsMatchAll(patterns_[0])),
        list_(list),
        known_regular_(known_regular) {}

  void Level(const Text& folder) {
    // Not the last byte alone: a folder named with a character whose second byte is 0x5C (淺 in
    // GBK) still needs its backslash, or its search would list the parent instead.
    const Text prefix =
        platform_.EndsWithSeparator(folder) ? folder : ConcatText({folder, kSeparator});
    SearchHandle handle;
    if (one_pass_) {
      handle.search = platform_.StartSearch(ConcatText({prefix, patterns_[0]}));
      if (!handle.search) return;
    }
    FolderId id;
    const bool known = (handle.search && handle.search->GetFolderId(&id)) ||
                       platform_.GetFolderId(folder, &id);
    if (known) {
      for (const FolderId& a : ancestors_) {
        if (a == id) return;  // a link led back onto the current path: the walk would never end
      }
      ancestors_.push_back(id);
    }

    std::vector<Text> subfolders;
    if (one_pass_) {
      DirEntry entry;
      while (handle.search->Next(&entry)) {
        if (entry.name.empty()) continue;
        if (entry.is_folder) {
          if (!IsDotOrDotDot(entry.name)) subfolders.push_back(std::move(entry.name));
        } else {
          Add(prefix, entry.name, entry.known_regular);
        }
      }
      handle.search.reset();
    } else {
      for (const Text& pattern : patterns_) {
        for (Text name = FindEntry(ConcatText({prefix, pattern}), EntryKind::kFiles, &handle);
             !name.empty(); name = FindEntry(Text(), EntryKind::kFiles, &handle)) {
          Add(prefix, name, false);
        }
      }
      for (Text name = FindEntry(ConcatText({prefix, "*.*"}), EntryKind::kFolders, &handle);
           !name.empty(); name = FindEntry(Text(), EntryKind::kFolders, &handle)) {
        if (!IsDotOrDotDot(name)) subfolders.push_back(std::move(name));
      }
    }
    for (const Text& name : subfolders) {
      Level(ConcatText({prefix, name}));
      platform_.PumpEvents();
    }
    if (known) ancestors_.pop_back();
  }

 private:
  static bool IsMatchAll(const Text& pattern) { return pattern == "*.*" || pattern == "*"; }

  void Add(const Text& prefix, const Text& name, bool known_regular) {
    list_->push_back(ConcatText({prefix, name}));
    if (known_regular_) known_regular_->push_back(known_regular);
    platform_.PumpEvents();
  }

  Platform& platform_ = Platform::Default();
  const TextList patterns_;
  const bool one_pass_;
  TextList* const list_;
  std::vector<bool>* const known_regular_;
  std::vector<FolderId> ancestors_;
};

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
  Walker(patterns, list, nullptr).Level(copy);
  return static_cast<int64_t>(list->size());
}

void ListEveryFile(const Text& folder, TextList* list, std::vector<bool>* known_regular) {
  const Text copy = folder;
  Walker("*.*", list, known_regular).Level(copy);
}

}  // namespace quarnel
