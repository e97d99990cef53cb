#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace linkwright {

// A folder under the system's temporary folder, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_Path; }
  std::filesystem::path operator/(const std::string& name) const { return m_Path / name; }

 private:
  std::filesystem::path m_Path;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// Output and exit status of a finished child process.
struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the console program with the given arguments and waits for it (standard input empty).
ProcessResult RunCli(const std::vector<std::string>& args);

// Runs any program found on PATH (or given by path) and waits for it.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace linkwright
