#include "support/machine_snapshot.h"

#ifndef _WIN32

#include <filesystem>
#include <functional>
#include <sstream>

#include "foundation/host/host_machine.h"
#include "shared/ascii_case.h"
#include "support/test_machine.h"

namespace {

void AddProfileEntries(const std::string& text, Snapshot& snapshot) {
  std::istringstream lines(text);
  std::string line;
  std::string section;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      section = line;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos)
      snapshot["ini:" + section + " " + line.substr(0, equals)] = line.substr(equals + 1);
  }
}

bool IsSystemIni(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  return EqualsNoCase(name.c_str(), name.size(), "system.ini");
}

} // namespace

Snapshot TakeSnapshot(const std::string& root) {
  Snapshot snapshot;
  for (const std::string& line : sys::host::RegistryDump()) {
    const std::size_t equals = line.find("] = ");
    if (equals == std::string::npos)
      snapshot[line + "\\"] = "(key)";
    else
      snapshot[line.substr(0, equals + 1)] = line.substr(equals + 4);
  }
  const std::filesystem::path hostRoot = sys::host::HostPath(root);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(hostRoot)) {
    if (!entry.is_regular_file()) continue;
    std::string path = root + entry.path().lexically_relative(hostRoot).string();
    for (char& c : path)
      if (c == '/') c = '\\';
    const std::string bytes = ReadFileBytes(path);
    if (IsSystemIni(entry.path())) {
      AddProfileEntries(bytes, snapshot);
      continue;
    }
    const FILETIME time = FileLastWriteTime(path);
    snapshot["file:" + path] = std::to_string(bytes.size()) + " bytes, sum " +
                               std::to_string(std::hash<std::string>{}(bytes)) + ", time " +
                               std::to_string(time.dwHighDateTime) + ":" +
                               std::to_string(time.dwLowDateTime);
  }
  for (const std::string& operation : sys::host::RestartOperations())
    snapshot["restart:" + operation] = "(at restart)";
  return snapshot;
}

std::string ValueIn(const Snapshot& snapshot, const std::string& item) {
  const auto found = snapshot.find(item);
  return found == snapshot.end() ? "(absent)" : found->second;
}

#endif
