#include "child_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace diag_test {

namespace {
constexpr const char kDoneVariable[] = "UT_TEST_CHILD_DONE_FILE";
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ut_diag_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

ChildResult RunTestInChild(const std::string& testName,
                           const std::vector<std::pair<std::string, std::string>>& environment) {
  TempDir dir;
  const std::string doneFile = dir.File("done");

  // Ours replace any inherited variable of the same name.
  auto overridden = [&](const std::string& entry) {
    const std::string name = entry.substr(0, entry.find('='));
    if (name == kDoneVariable) return true;
    for (const auto& variable : environment) {
      if (variable.first == name) return true;
    }
    return false;
  };
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!overridden(*entry)) variables.emplace_back(*entry);
  }
  for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);
  variables.push_back(std::string(kDoneVariable) + "=" + doneFile);

  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<std::string> arguments = {self, "--gtest_filter=" + testName,
                                        "--gtest_also_run_disabled_tests"};

  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);

  std::fflush(nullptr);
  ChildResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
    return result;
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.ran = std::filesystem::exists(doneFile);
  return result;
}

void MarkChildDone() {
  if (const char* path = std::getenv(kDoneVariable)) WriteTextFile(path, "done\n");
}

}  // namespace diag_test
