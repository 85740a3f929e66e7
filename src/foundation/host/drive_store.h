// Where the emulated drives keep their folders and files: on the host, below a sandbox folder,
// or in memory, where making a machine afresh for every input of a fuzz run costs no call of the
// host's file system. Both speak the host's terms (struct stat, errno), so the emulation above
// them is one and the same. Paths below the memory root name memory entries, all others host
// files; descriptors are told apart the same way, so a change of store never mixes the two.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sys::host::detail::store {

// Which store the next root is made in.
void UseMemory(bool memory);

// In memory only: Keep remembers the entries as they are now under a name, and Restore puts
// them back in place of the current ones when they were kept under that name; both answer false
// on the host's file system, where nothing is kept. A copy of the same starting folders costs far
// less than making them again after every reset.
bool KeepEntries(const std::string& name);
bool RestoreEntries(const std::string& name);

// A new, empty root folder for the drives; RemoveRoot removes it with everything in it.
std::string NewRoot();
void RemoveRoot(const std::string& root);

// As their namesakes of the host (stat, open, read, ...): -1 with errno set on a failure.
int Stat(const std::string& path, struct stat* info);
int Open(const std::string& path, int flags, mode_t mode = 0);
ssize_t Read(int descriptor, void* data, std::size_t count);
ssize_t Write(int descriptor, const void* data, std::size_t count);
int Fstat(int descriptor, struct stat* info);
int Futimens(int descriptor, const timespec times[2]);
int Close(int descriptor);
int Unlink(const std::string& path);
int Mkdir(const std::string& path, mode_t mode);
int Rmdir(const std::string& path);
int Rename(const std::string& from, const std::string& to);

// The names of a folder's entries; false when it cannot be read.
bool List(const std::string& folder, std::vector<std::string>* names);
// The same names one by one, without a copy of each where the store can avoid it.
bool ForEachEntry(const std::string& folder, const std::function<void(std::string_view)>& visit);
// Makes the folder and every folder above it; failures are ignored.
void MakeDirectories(const std::string& path);

// A whole file at once; false with errno set when it cannot be opened or read.
bool ReadWhole(const std::string& path, std::string* bytes);

} // namespace sys::host::detail::store
