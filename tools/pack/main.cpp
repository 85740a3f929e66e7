// zm-pack: packs the installer's payload files into its archive resources and payload table.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

#include "archive.h"
#include "archive_outputs.h"
#include "command_line.h"
#include "stored_stream.h"

namespace {

std::string ReadBinaryFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path);
  std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) throw std::runtime_error("cannot read " + path);
  return bytes;
}

// Spoils the stored stream or the record as asked, keeping the rest of the archive consistent
// so that exactly one of the installer's checks is left to notice.
void ApplyDamage(const pack::Damage& damage, std::string* stored, pack::TableRecord* record) {
  using Kind = pack::Damage::Kind;
  switch (damage.kind) {
  case Kind::None:
    break;
  case Kind::Cut:
    if (damage.position == 0 || damage.position >= stored->size())
      throw std::runtime_error("cut=" + std::to_string(damage.position) +
                               " must keep part of the " + std::to_string(stored->size()) +
                               "-byte stream");
    stored->resize(damage.position);
    record->storedAdler = pack::Adler32(*stored);
    break;
  case Kind::ChangedByte:
    if (damage.position >= stored->size())
      throw std::runtime_error("byte=" + std::to_string(damage.position) + " lies beyond the " +
                               std::to_string(stored->size()) + "-byte stream");
    (*stored)[damage.position] = static_cast<char>((*stored)[damage.position] ^ 0xFF);
    break;
  case Kind::WrongInflatedSum:
    record->inflatedAdler ^= 1;
    break;
  }
}

pack::Archive Pack(const pack::Request& request) {
  const std::filesystem::path outDir = std::filesystem::absolute(request.outDir);
  std::filesystem::create_directories(outDir);
  pack::Archive archive;

  for (const pack::PayloadRequest& payload : request.payloads) {
    const std::string original = ReadBinaryFile(payload.path);
    std::string stored = pack::DeflateToStream(original);
    pack::TableRecord record{payload.resourceName, payload.fileName, pack::Adler32(original),
                             pack::Adler32(stored)};
    ApplyDamage(payload.damage, &stored, &record);
    pack::Resource resource{payload.resourceName, false, stored,
                            (outDir / (payload.resourceName + ".zlib")).string()};
    pack::WriteBinaryFile(resource.storedFile, resource.bytes);
    archive.resources.push_back(resource);
    archive.table.push_back(record);
  }

  for (const pack::TextRequest& text : request.texts) {
    // A copy beside the streams, so that the resource script names only what the packer wrote.
    pack::Resource resource{std::to_string(text.id), true, ReadBinaryFile(text.path),
                            (outDir / ("text-" + std::to_string(text.id) + ".bin")).string()};
    pack::WriteBinaryFile(resource.storedFile, resource.bytes);
    archive.textSums.push_back(pack::TextSum{text.adlerConstant, pack::Adler32(resource.bytes)});
    archive.resources.push_back(resource);
  }
  return archive;
}

void WriteOutputs(const pack::Request& request, const pack::Archive& archive) {
  // Every output is rewritten on every run, so that whatever depends on one sees it as new.
  if (!request.resourceScript.empty())
    pack::WriteBinaryFile(request.resourceScript, pack::ResourceScript(archive));
  if (!request.tableSource.empty())
    pack::WriteBinaryFile(request.tableSource, pack::TableSource(request, archive));
  if (!request.header.empty())
    pack::WriteBinaryFile(request.header, pack::Header(request, archive));
  if (!request.hostResources.empty())
    pack::WriteBinaryFile(request.hostResources, pack::HostResourcesSource(request, archive));
}

} // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty() || arguments[0] == "--help") {
    std::cout << pack::Usage;
    return arguments.empty() ? 2 : 0;
  }
  try {
    const pack::Request request = pack::ParseCommandLine(arguments);
    WriteOutputs(request, Pack(request));
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "zm-pack: " << error.what() << " (zm-pack --help tells the arguments)\n";
    return 1;
  }
}
