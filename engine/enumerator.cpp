#include "engine/enumerator.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace quarnel {
namespace {

constexpr std::string_view kSeparator(&kPathSeparator, 1);

bool IsDotOrDotDot(const Text& name) {
  return CompareText(name, ".") == 0 || CompareText(name, "..") == 0;
}

// Not the last byte alone: a folder named with a character whose second byte is 0x5C (淺 in GBK)
// still needs its backslash, or its search would list the parent instead.
Text FolderPrefix(Platform& platform, const Text& folder) {
  return platform.EndsWithSeparator(folder) ? folder : ConcatText({folder, kSeparator});
}

// The walk as specified step by step: one search per pattern for the files, then one over "*.*"
// for the subfolders, each walked in turn.
class Walker {
 public:
  Walker(const Text& patterns, TextList* list) : patterns_(SplitText(patterns, "|")), list_(list) {}

  void Level(const Text& folder) {
    FolderId id;
    const bool known = platform_.GetFolderId(folder, &id);
    if (known) {
      for (const FolderId& a : ancestors_) {
        if (a == id) return;  // a link led back onto the current path: the walk would never end
      }
      ancestors_.push_back(id);
    }
    const Text prefix = FolderPrefix(platform_, folder);
    SearchHandle handle;
    for (const Text& pattern : patterns_) {
      for (Text name = FindEntry(ConcatText({prefix, pattern}), EntryKind::kFiles, &handle);
           !name.empty(); name = FindEntry(Text(), EntryKind::kFiles, &handle)) {
        list_->push_back(ConcatText({prefix, name}));
        platform_.PumpEvents();
      }
    }
    for (Text name = FindEntry(ConcatText({prefix, "*.*"}), EntryKind::kFolders, &handle);
         !name.empty(); name = FindEntry(Text(), EntryKind::kFolders, &handle)) {
      if (IsDotOrDotDot(name)) continue;
      Level(ConcatText({prefix, name}));
      platform_.PumpEvents();
    }
    if (known) ancestors_.pop_back();
  }

 private:
  Platform& platform_ = Platform::Default();
  const TextList patterns_;
  TextList* const list_;
  std::vector<FolderId> ancestors_;
};

// The "*.*" walk with each folder read once, files and subfolders from the same pass, on one or
// more threads. The results are then put together in Walker's order (a folder's files, then each
// subfolder's whole listing in read order), so the list is the same.
class OnePassWalker {
 public:
  OnePassWalker(TextList* list, std::vector<bool>* known_regular, unsigned threads)
      : list_(list), known_regular_(known_regular), threads_(std::max(1u, threads)) {}

  void Walk(const Text& root_folder) {
    Node root;
    root.folder = root_folder;
    pending_.push_back(&root);
    outstanding_ = 1;
    std::vector<std::thread> helpers;
    try {
      for (unsigned i = 1; i < threads_; ++i) helpers.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      // Fewer threads than asked: this one and those that started read every folder.
    }
    Work();
    for (std::thread& t : helpers) t.join();
    Emit(&root);
  }

 private:
  struct Node {
    Text folder;
    const Node* parent = nullptr;
    FolderId id;
    bool known_id = false;
    TextList files;
    std::vector<bool> regular;
    std::vector<std::unique_ptr<Node>> children;  // in read order
  };

  void Work() {
    for (;;) {
      Node* node;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return !pending_.empty() || outstanding_ == 0; });
        if (pending_.empty()) return;  // nothing pending and nothing being read: all done
        node = pending_.back();
        pending_.pop_back();
      }
      Read(node);
      {
        std::lock_guard<std::mutex> hold(mutex_);
        for (auto& child : node->children) pending_.push_back(child.get());
        outstanding_ += node->children.size();
        --outstanding_;
      }
      ready_.notify_all();
    }
  }

  void Read(Node* node) {
    const Text prefix = FolderPrefix(platform_, node->folder);
    std::unique_ptr<DirectorySearch> search = platform_.StartSearch(ConcatText({prefix, "*.*"}));
    if (!search) return;
    node->known_id = search->GetFolderId(&node->id) || platform_.GetFolderId(node->folder, &node->id);
    if (node->known_id) {
      for (const Node* a = node->parent; a != nullptr; a = a->parent) {
        if (a->known_id && a->id == node->id) return;  // a link back onto the path: ends here
      }
    }
    DirEntry entry;
    while (search->Next(&entry)) {
      if (entry.name.empty()) continue;
      if (entry.is_folder) {
        if (IsDotOrDotDot(entry.name)) continue;
        auto child = std::make_unique<Node>();
        child->folder = ConcatText({prefix, entry.name});
        child->parent = node;
        node->children.push_back(std::move(child));
      } else {
        node->files.push_back(ConcatText({prefix, entry.name}));
        node->regular.push_back(entry.known_regular);
      }
    }
  }

  // Pre-order without recursion: a deep tree must not run a worker's stack out.
  void Emit(Node* root) {
    struct Frame {
      Node* node;
      size_t next_child;
    };
    EmitFiles(root);
    std::vector<Frame> path = {{root, 0}};
    while (!path.empty()) {
      Frame& top = path.back();
      if (top.next_child < top.node->children.size()) {
        Node* child = top.node->children[top.next_child++].get();
        EmitFiles(child);
        path.push_back({child, 0});
        continue;
      }
      path.pop_back();
      if (path.empty()) break;
      // Done with this subfolder: keep the peak near one copy of the list.
      path.back().node->children[path.back().next_child - 1].reset();
      platform_.PumpEvents();
    }
  }

  void EmitFiles(Node* node) {
    for (size_t i = 0; i < node->files.size(); ++i) {
      list_->push_back(std::move(node->files[i]));
      if (known_regular_) known_regular_->push_back(node->regular[i]);
      platform_.PumpEvents();
    }
    node->files = TextList();
  }

  Platform& platform_ = Platform::Default();
  TextList* const list_;
  std::vector<bool>* const known_regular_;
  const unsigned threads_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<Node*> pending_;
  size_t outstanding_ = 0;  // folders pending or being read
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
  Walker(patterns, list).Level(copy);
  return static_cast<int64_t>(list->size());
}

void ListEveryFile(const Text& folder, TextList* list, std::vector<bool>* known_regular,
                   unsigned threads) {
  const Text copy = folder;
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  OnePassWalker(list, known_regular, threads).Walk(copy);
}

}  // namespace quarnel
