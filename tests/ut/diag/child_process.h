// Running one test of this executable again in a fresh process, for state that a process reads
// only once (the "D3IZDoNotMute" setting, the runtimes' mute entries).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace diag_test {

// A fresh directory under the temporary folder, removed with its files.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteTextFile(const std::string& path, const std::string& text);

struct ChildResult {
  bool ran = false;   // the child reached the end of the test (it called MarkChildDone)
  int exitCode = -1;  // 0 when every check in the child passed
};

// Runs the disabled test `testName` (e.g. "DebugMuteChild.DISABLED_Registry") of this executable
// in a child process with `environment` added, and waits for it. The child's output goes to ours.
ChildResult RunTestInChild(const std::string& testName,
                           const std::vector<std::pair<std::string, std::string>>& environment);

// Called by the child at the end of its test, so that a filter matching nothing cannot pass.
void MarkChildDone();

}  // namespace diag_test
