#include "engine/scan_job.h"

#include "engine/enumerator.h"
#include "engine/file_ops.h"
#include "engine/platform/platform.h"
#include "engine/platform/system_texts.h"

namespace quarnel {

ScanJob::ScanJob(Text folder, ScanFrontEnd& front_end, ScanSettings settings)
    : folder_(std::move(folder)), front_end_(front_end), settings_(std::move(settings)) {}

void ScanJob::Run() {
  TextList files;
  EnumerateFiles(folder_, "*.*", &files);
  stats_.files_listed = files.size();
  if (settings_.progress) settings_.progress->OnListed(files.size());

  for (const Text& path : files) {
    if (front_end_.IsClosed()) return;
    if (FileHasSignature(path)) RecordHit(path);
  }
  if (front_end_.IsClosed()) return;
  front_end_.ShowNotice(Text(kScanCompleteNotice));
  if (front_end_.IsClosed() || settings_.log_path.empty()) return;
  front_end_.OpenWithShell(settings_.log_path);
}

bool ScanJob::FileHasSignature(const Text& path) {
  const ByteBuffer bytes = ReadWholeFile(path);
  const Text file_text = BytesToText(bytes);
  ++stats_.files_examined;
  stats_.bytes_examined += bytes.size();
  if (settings_.progress) settings_.progress->OnExamined(bytes.size());

  const TextList signatures = SplitText(front_end_.ReadSignatureText(), kLineBreak);
  for (const Text& signature : signatures) {
    if (FindInText(file_text, signature) != -1) return true;
  }
  return false;
}

void ScanJob::RecordHit(const Text& path) {
  const Text hit_line = ConcatText({kLineBreak, path});
  front_end_.AppendToResults(hit_line);
  ++stats_.hits;
  if (settings_.log_path.empty()) return;
  if (!Platform::Default().AppendRecord(settings_.log_path, TextToBytes(hit_line))) {
    ++stats_.log_failures;
    if (settings_.progress) settings_.progress->OnLogWriteFailed(settings_.log_path);
  }
}

}  // namespace quarnel
