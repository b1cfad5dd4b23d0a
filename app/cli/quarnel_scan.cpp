// quarnel-scan: the terminal front end. Scans each FOLDER exactly as the window scans a dropped
// folder and prints every hit's path on standard output.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define QUARNEL_ISATTY _isatty
#define QUARNEL_FILENO _fileno
#else
#include <unistd.h>
#define QUARNEL_ISATTY isatty
#define QUARNEL_FILENO fileno
#endif

#include "engine/file_ops.h"
#include "engine/platform/platform.h"
#include "engine/scan_job.h"
#include "ui/window_description.h"

namespace quarnel {
namespace {

constexpr char kVersion[] = "quarnel-scan 0.1.0";

constexpr char kUsage[] =
    "Usage: quarnel-scan [OPTIONS] FOLDER...\n"
    "\n"
    "Lists every file below each FOLDER and prints the path of each file whose text holds one\n"
    "of the signature lines. Each hit is also appended to the hit log as \"\\r\\n\" + path.\n"
    "\n"
    "Options:\n"
    "  -f, --signatures FILE  read the signature lines from FILE (\"-\": standard input);\n"
    "                         a \"\\n\" without \"\\r\" before it counts as \"\\r\\n\"\n"
    "  -e, --signature SIG    one more signature line, after those of FILE (repeatable)\n"
    "                         (without -f and -e, the window's eight default signatures)\n"
    "      --log FILE         append hit records to FILE\n"
    "                         (default: list_log.txt beside this program)\n"
    "      --no-log           write no hit log\n"
    "  -0, --null             end each printed path with a zero byte, not a newline\n"
    "  -q, --quiet            no summary on standard error\n"
    "  -j, --threads N        examine files on N threads (default: one per core)\n"
    "  -h, --help             show this help\n"
    "      --version          show the version\n"
    "\n"
    "Exit status: 0 no hit, 1 at least one hit, 2 an error (nothing is scanned).\n";

struct Options {
  std::optional<std::string> signature_file;
  std::vector<std::string> extra_signatures;
  std::optional<std::string> log_path;
  bool no_log = false;
  bool null_terminate = false;
  bool quiet = false;
  unsigned threads = 0;
  std::vector<std::string> folders;
};

int UsageError(const std::string& message) {
  std::cerr << "quarnel-scan: " << message << "\nTry 'quarnel-scan --help' for more.\n";
  return 2;
}

bool ParseThreads(const std::string& text, unsigned* threads) {
  if (text.empty() || text.size() > 4) return false;
  unsigned n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  if (n < 1 || n > 1024) return false;
  *threads = n;
  return true;
}

// Reads the whole of a signature file, or standard input for "-".
bool ReadSignatureFile(const std::string& name, std::string* out) {
  if (name == "-") {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    std::ostringstream all;
    all << std::cin.rdbuf();
    *out = all.str();
    return !std::cin.bad();
  }
  if (Platform::Default().IsFolder(name)) return false;
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Every "\n" not preceded by "\r" becomes "\r\n", as the signature box holds its lines.
Text ToBoxLineBreaks(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) out += '\r';
    out += bytes[i];
  }
  return out;
}

// Joins lines as the box would hold them, so that SplitText gives exactly these lines back.
Text JoinLines(const TextList& lines) {
  Text text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text.append(kLineBreak);
    text.append(lines[i]);
  }
  // A last line that is empty survives the split only behind a line break of its own.
  if (!lines.empty() && lines.back().empty()) text.append(kLineBreak);
  return text;
}

class TerminalFrontEnd final : public ScanFrontEnd, public ScanProgress {
 public:
  TerminalFrontEnd(Text signature_text, bool null_terminate, bool show_progress)
      : signature_text_(std::move(signature_text)),
        terminator_(null_terminate ? '\0' : '\n'),
        show_progress_(show_progress),
        start_(Clock::now()) {}

  Text ReadSignatureText() override { return signature_text_; }
  uint64_t SignatureRevision() override { return 0; }  // the text never changes

  void AppendToResults(const Text& text) override {
    ClearProgress();
    std::string_view path(text);
    if (path.substr(0, kLineBreak.size()) == kLineBreak) path.remove_prefix(kLineBreak.size());
    std::fwrite(path.data(), 1, path.size(), stdout);
    std::fputc(terminator_, stdout);
    // Each hit reaches a reader on a pipe at once, however long the scan goes quiet afterwards.
    std::fflush(stdout);
  }

  // The terminal shows its own summary instead of the window's notice, and opens nothing.
  void ShowNotice(const Text&) override {}
  void OpenWithShell(const Text&) override {}

  void OnListed(size_t files) override {
    total_ = files;
    examined_ = 0;
    bytes_ = 0;
  }
  void OnExamined(uint64_t bytes) override {
    ++examined_;
    bytes_ += bytes;
    if (!show_progress_) return;
    const auto now = Clock::now();
    if (now - last_progress_ < std::chrono::milliseconds(100) && examined_ != total_) return;
    last_progress_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double mib = static_cast<double>(bytes_) / (1024.0 * 1024.0);
    std::fprintf(stderr, "\r\033[K%zu/%zu files, %.1f MiB, %.1f MiB/s", examined_, total_, mib,
                 seconds > 0 ? mib / seconds : 0.0);
    progress_shown_ = true;
  }
  void OnLogWriteFailed(const Text& path) override {
    ClearProgress();
    std::fprintf(stderr, "quarnel-scan: warning: could not append a record to %s\n",
                 path.c_str());
  }

  void ClearProgress() {
    if (!progress_shown_) return;
    std::fputs("\r\033[K", stderr);
    progress_shown_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;
  const Text signature_text_;
  const char terminator_;
  const bool show_progress_;
  const Clock::time_point start_;
  Clock::time_point last_progress_{};
  bool progress_shown_ = false;
  size_t total_ = 0;
  size_t examined_ = 0;
  uint64_t bytes_ = 0;
};

int Main(int argc, char** argv) {
  Options options;
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    if (options_done || arg == "-" || arg.empty() || arg[0] != '-') {
      options.folders.push_back(arg);
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--version") {
      std::cout << kVersion << "\n";
      return 0;
    } else if (arg == "-f" || arg == "--signatures") {
      auto v = value();
      if (!v) return UsageError("option " + arg + " needs a FILE");
      if (options.signature_file) return UsageError("only one signature FILE may be given");
      options.signature_file = *v;
    } else if (arg.rfind("--signatures=", 0) == 0) {
      if (options.signature_file) return UsageError("only one signature FILE may be given");
      options.signature_file = arg.substr(13);
    } else if (arg == "-e" || arg == "--signature") {
      auto v = value();
      if (!v) return UsageError("option " + arg + " needs a SIG");
      options.extra_signatures.push_back(*v);
    } else if (arg.rfind("--signature=", 0) == 0) {
      options.extra_signatures.push_back(arg.substr(12));
    } else if (arg == "--log") {
      auto v = value();
      if (!v || v->empty()) return UsageError("option --log needs a FILE");
      options.log_path = *v;
    } else if (arg.rfind("--log=", 0) == 0 && arg.size() > 6) {
      options.log_path = arg.substr(6);
    } else if (arg == "--no-log") {
      options.no_log = true;
    } else if (arg == "-0" || arg == "--null") {
      options.null_terminate = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "-j" || arg == "--threads") {
      auto v = value();
      if (!v || !ParseThreads(*v, &options.threads)) {
        return UsageError("option " + arg + " needs a number of threads from 1 to 1024");
      }
    } else {
      return UsageError("unknown option " + arg);
    }
  }
  if (options.folders.empty()) return UsageError("no FOLDER given");
  if (options.no_log && options.log_path) return UsageError("--log and --no-log exclude each other");

  // Everything is checked before anything is scanned or the log touched.
  for (const std::string& folder : options.folders) {
    if (!Platform::Default().IsFolder(folder)) {
      std::cerr << "quarnel-scan: " << folder << ": not a folder or does not exist\n";
      return 2;
    }
  }
  Text signature_text(ui::kDefaultSignatureText);
  if (options.signature_file || !options.extra_signatures.empty()) {
    TextList lines;
    if (options.signature_file) {
      std::string bytes;
      if (!ReadSignatureFile(*options.signature_file, &bytes)) {
        std::cerr << "quarnel-scan: " << *options.signature_file
                  << ": cannot read the signature file\n";
        return 2;
      }
      // The box cannot hold a zero byte: its text ends there.
      lines = SplitText(ToBoxLineBreaks(BytesToText(bytes)), kLineBreak);
    }
    for (const std::string& sig : options.extra_signatures) lines.push_back(BytesToText(sig));
    signature_text = JoinLines(lines);
  }

  const Text log_path = options.no_log ? Text() : options.log_path.value_or(DefaultLogPath());
  const bool show_progress = QUARNEL_ISATTY(QUARNEL_FILENO(stderr)) != 0;
  TerminalFrontEnd terminal(signature_text, options.null_terminate, show_progress);
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif

  ScanStats total;
  for (const std::string& folder : options.folders) {
    ScanSettings settings;
    settings.log_path = log_path;
    settings.progress = &terminal;
    settings.threads = options.threads;
    ScanJob job(folder, terminal, settings);
    job.Run();
    total.files_examined += job.stats().files_examined;
    total.hits += job.stats().hits;
    total.log_failures += job.stats().log_failures;
  }
  std::fflush(stdout);
  terminal.ClearProgress();
  if (!options.quiet) {
    std::fprintf(stderr, "quarnel-scan: %llu files examined, %llu hits, log: %s\n",
                 static_cast<unsigned long long>(total.files_examined),
                 static_cast<unsigned long long>(total.hits),
                 log_path.empty() ? "none" : log_path.c_str());
  }
  return total.hits > 0 ? 1 : 0;
}

}  // namespace
}  // namespace quarnel

int main(int argc, char** argv) { return quarnel::Main(argc, argv); }
