#include "foundation/host/drive_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string_view>
#include <system_error>

namespace sys::host::detail::store {
namespace {

// Not a path the host could hand out as its temporary folder.
constexpr char MemoryRoot[] = "memory:";
// Above any descriptor the host gives out.
constexpr int FirstMemoryDescriptor = 1 << 24;

struct Content {
  std::string bytes;
  timespec modified{};
  timespec accessed{};
  ino_t inode = 0;
};

struct Entry {
  std::shared_ptr<Content> file; // none for a folder
  ino_t inode = 0;
};

struct Descriptor {
  // Shared with the entry, so that a removed file stays readable while it is open, as on the host.
  std::shared_ptr<Content> file;
  std::size_t position = 0;
  bool reads = false;
  bool writes = false;
};

struct Memory {
  bool chosen = false;
  // By full path, the root included; looked up by views as well, so that a look-up of a parent
  // folder makes no copy of its path.
  std::map<std::string, Entry, std::less<>> entries;
  std::map<int, Descriptor> descriptors;
  int nextDescriptor = FirstMemoryDescriptor;
  ino_t nextInode = 1;
  std::string keptName; // "" while nothing is kept
  std::map<std::string, Entry, std::less<>> kept;
};

Memory& TheMemory() {
  static Memory memory;
  return memory;
}

bool InMemory(const std::string& path) {
  return path.compare(0, sizeof MemoryRoot - 1, MemoryRoot) == 0;
}

bool InMemory(int descriptor) { return descriptor >= FirstMemoryDescriptor; }

int Failure(int error) {
  errno = error;
  return -1;
}

timespec Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

std::string_view Parent(std::string_view path) { return path.substr(0, path.find_last_of('/')); }

Entry* Find(std::string_view path) {
  auto found = TheMemory().entries.find(path);
  return found == TheMemory().entries.end() ? nullptr : &found->second;
}

bool IsFolder(std::string_view path) {
  const Entry* entry = Find(path);
  return entry != nullptr && !entry->file;
}

// Why a missing path cannot be reached: a folder on the way is missing, or is a file.
int MissingError(std::string_view path) {
  if (path.find('/') == std::string_view::npos) return ENOENT;
  const std::string_view parent = Parent(path);
  const Entry* entry = Find(parent);
  if (entry == nullptr) return MissingError(parent);
  return entry->file ? ENOTDIR : ENOENT;
}

bool HasChildren(const std::string& folder) {
  const std::string below = folder + "/";
  auto first = TheMemory().entries.lower_bound(below);
  return first != TheMemory().entries.end() && first->first.compare(0, below.size(), below) == 0;
}

void Fill(const Entry& entry, struct stat* info) {
  std::memset(info, 0, sizeof *info);
  info->st_dev = 1;
  info->st_nlink = 1;
  info->st_ino = entry.inode;
  if (!entry.file) {
    info->st_mode = S_IFDIR | 0777;
    return;
  }
  info->st_mode = S_IFREG | 0666;
  info->st_size = static_cast<off_t>(entry.file->bytes.size());
  info->st_mtim = entry.file->modified;
  info->st_atim = entry.file->accessed;
}

Descriptor* FindDescriptor(int descriptor) {
  auto found = TheMemory().descriptors.find(descriptor);
  return found == TheMemory().descriptors.end() ? nullptr : &found->second;
}

int MemoryOpen(const std::string& path, int flags) {
  Memory& memory = TheMemory();
  Entry* entry = Find(path);
  if (entry != nullptr && !entry->file) return Failure(EISDIR);
  if (entry != nullptr && (flags & O_CREAT) && (flags & O_EXCL)) return Failure(EEXIST);
  if (entry == nullptr) {
    if (!(flags & O_CREAT)) return Failure(MissingError(path));
    if (!IsFolder(Parent(path))) return Failure(MissingError(path));
    auto content = std::make_shared<Content>();
    content->modified = content->accessed = Now();
    content->inode = memory.nextInode++;
    entry = &(memory.entries[path] = Entry{content, content->inode});
  } else if (flags & O_TRUNC) {
    entry->file->bytes.clear();
    entry->file->modified = Now();
  }
  const int access = flags & O_ACCMODE;
  Descriptor descriptor;
  descriptor.file = entry->file;
  descriptor.reads = access == O_RDONLY || access == O_RDWR;
  descriptor.writes = access == O_WRONLY || access == O_RDWR;
  memory.descriptors[memory.nextDescriptor] = descriptor;
  return memory.nextDescriptor++;
}

int MemoryRename(const std::string& from, const std::string& to) {
  Memory& memory = TheMemory();
  const Entry* source = Find(from);
  if (source == nullptr) return Failure(MissingError(from));
  if (from == to) return 0;
  if (!IsFolder(Parent(to))) return Failure(MissingError(to));
  const bool folder = !source->file;
  if (folder && to.compare(0, from.size() + 1, from + "/") == 0) return Failure(EINVAL);
  if (const Entry* target = Find(to)) {
    if (folder && target->file) return Failure(ENOTDIR);
    if (!folder && !target->file) return Failure(EISDIR);
    if (folder && HasChildren(to)) return Failure(ENOTEMPTY);
  }
  // The entry and, for a folder, everything below it move to the new name.
  std::map<std::string, Entry> moved;
  const std::string below = from + "/";
  for (auto entry = memory.entries.lower_bound(from); entry != memory.entries.end();) {
    const bool inside = entry->first == from || entry->first.compare(0, below.size(), below) == 0;
    if (!inside) {
      if (entry->first.compare(0, from.size(), from) != 0) break;
      ++entry;
      continue;
    }
    moved[to + entry->first.substr(from.size())] = entry->second;
    entry = memory.entries.erase(entry);
  }
  for (auto& entry : moved) memory.entries[entry.first] = entry.second;
  return 0;
}

} // namespace

void UseMemory(bool memory) {
  TheMemory().chosen = memory;
  TheMemory().keptName.clear();
  TheMemory().kept.clear();
}

bool KeepEntries(const std::string& name) {
  Memory& memory = TheMemory();
  if (!memory.chosen || name.empty()) return false;
  memory.keptName = name;
  memory.kept = memory.entries;
  return true;
}

bool RestoreEntries(const std::string& name) {
  Memory& memory = TheMemory();
  if (!memory.chosen || name.empty() || memory.keptName != name) return false;
  memory.entries = memory.kept;
  // Files get contents of their own, so that nothing written now reaches the kept ones.
  for (auto& entry : memory.entries)
    if (entry.second.file) entry.second.file = std::make_shared<Content>(*entry.second.file);
  return true;
}

std::string NewRoot() {
  if (TheMemory().chosen) {
    TheMemory().entries.clear();
    TheMemory().entries[MemoryRoot] = Entry{nullptr, TheMemory().nextInode++};
    return MemoryRoot;
  }
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) base = "/tmp";
  std::string pattern = (base / "zm-machine-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort(); // no machine without a sandbox
  return pattern;
}

void RemoveRoot(const std::string& root) {
  if (InMemory(root)) {
    TheMemory().entries.clear();
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

int Stat(const std::string& path, struct stat* info) {
  if (!InMemory(path)) return ::stat(path.c_str(), info);
  const Entry* entry = Find(path);
  if (entry == nullptr) return Failure(MissingError(path));
  Fill(*entry, info);
  return 0;
}

int Open(const std::string& path, int flags, mode_t mode) {
  if (!InMemory(path)) return ::open(path.c_str(), flags, mode);
  return MemoryOpen(path, flags);
}

ssize_t Read(int descriptor, void* data, std::size_t count) {
  if (!InMemory(descriptor)) return ::read(descriptor, data, count);
  Descriptor* open = FindDescriptor(descriptor);
  if (open == nullptr || !open->reads) return Failure(EBADF);
  const std::string& bytes = open->file->bytes;
  if (open->position >= bytes.size()) return 0;
  const std::size_t step = std::min(count, bytes.size() - open->position);
  std::memcpy(data, bytes.data() + open->position, step);
  open->position += step;
  return static_cast<ssize_t>(step);
}

ssize_t Write(int descriptor, const void* data, std::size_t count) {
  if (!InMemory(descriptor)) return ::write(descriptor, data, count);
  Descriptor* open = FindDescriptor(descriptor);
  if (open == nullptr || !open->writes) return Failure(EBADF);
  std::string& bytes = open->file->bytes;
  if (open->position == bytes.size()) {
    // The usual write at the end: no zeros first for the bytes to overwrite.
    bytes.append(static_cast<const char*>(data), count);
  } else {
    if (bytes.size() < open->position + count) bytes.resize(open->position + count);
    std::memcpy(&bytes[open->position], data, count);
  }
  open->position += count;
  open->file->modified = Now();
  return static_cast<ssize_t>(count);
}

int Fstat(int descriptor, struct stat* info) {
  if (!InMemory(descriptor)) return ::fstat(descriptor, info);
  const Descriptor* open = FindDescriptor(descriptor);
  if (open == nullptr) return Failure(EBADF);
  Fill(Entry{open->file, open->file->inode}, info);
  return 0;
}

int Futimens(int descriptor, const timespec times[2]) {
  if (!InMemory(descriptor)) return ::futimens(descriptor, times);
  Descriptor* open = FindDescriptor(descriptor);
  if (open == nullptr) return Failure(EBADF);
  timespec* kept[2] = {&open->file->accessed, &open->file->modified};
  for (int i = 0; i < 2; ++i) {
    if (times[i].tv_nsec == UTIME_OMIT) continue;
    *kept[i] = times[i].tv_nsec == UTIME_NOW ? Now() : times[i];
  }
  return 0;
}

int Close(int descriptor) {
  if (!InMemory(descriptor)) return ::close(descriptor);
  return TheMemory().descriptors.erase(descriptor) == 1 ? 0 : Failure(EBADF);
}

int Unlink(const std::string& path) {
  if (!InMemory(path)) return ::unlink(path.c_str());
  const Entry* entry = Find(path);
  if (entry == nullptr) return Failure(MissingError(path));
  if (!entry->file) return Failure(EISDIR);
  TheMemory().entries.erase(path);
  return 0;
}

int Mkdir(const std::string& path, mode_t mode) {
  if (!InMemory(path)) return ::mkdir(path.c_str(), mode);
  if (Find(path) != nullptr) return Failure(EEXIST);
  if (!IsFolder(Parent(path))) return Failure(MissingError(path));
  TheMemory().entries[path] = Entry{nullptr, TheMemory().nextInode++};
  return 0;
}

int Rmdir(const std::string& path) {
  if (!InMemory(path)) return ::rmdir(path.c_str());
  const Entry* entry = Find(path);
  if (entry == nullptr) return Failure(MissingError(path));
  if (entry->file) return Failure(ENOTDIR);
  if (HasChildren(path)) return Failure(ENOTEMPTY);
  TheMemory().entries.erase(path);
  return 0;
}

int Rename(const std::string& from, const std::string& to) {
  if (!InMemory(from) && !InMemory(to)) return ::rename(from.c_str(), to.c_str());
  if (!InMemory(from) || !InMemory(to)) return Failure(EXDEV);
  return MemoryRename(from, to);
}

bool List(const std::string& folder, std::vector<std::string>* names) {
  names->clear();
  return ForEachEntry(folder, [names](std::string_view name) { names->emplace_back(name); });
}

bool ForEachEntry(const std::string& folder, const std::function<void(std::string_view)>& visit) {
  if (!InMemory(folder)) {
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return false;
    for (const auto& entry : entries) visit(entry.path().filename().string());
    return true;
  }
  if (!IsFolder(folder)) return false;
  const auto& entries = TheMemory().entries;
  // The entries below the folder follow it in the map's order, those deeper among them.
  for (auto entry = entries.upper_bound(folder); entry != entries.end(); ++entry) {
    const std::string_view path = entry->first;
    if (path.compare(0, folder.size(), folder) != 0) break;
    if (path.size() <= folder.size() + 1 || path[folder.size()] != '/') continue;
    const std::string_view name = path.substr(folder.size() + 1);
    if (name.find('/') == std::string_view::npos) visit(name);
  }
  return true;
}

void MakeDirectories(const std::string& path) {
  if (!InMemory(path)) {
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
    return;
  }
  if (Find(path) != nullptr || path.find('/') == std::string::npos) return;
  MakeDirectories(std::string(Parent(path)));
  Mkdir(path, 0777);
}

bool ReadWhole(const std::string& path, std::string* bytes) {
  bytes->clear();
  const int descriptor = Open(path, O_RDONLY | O_CLOEXEC, 0);
  if (descriptor < 0) return false;
  char block[4096];
  for (;;) {
    const ssize_t got = Read(descriptor, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      const int error = errno;
      Close(descriptor);
      errno = error;
      return got == 0;
    }
    bytes->append(block, static_cast<std::size_t>(got));
  }
}

} // namespace sys::host::detail::store
