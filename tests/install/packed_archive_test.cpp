// The packer's output as the test program carries it: each payload is one zlib stream at maximum
// compression, and the table's sums are those of the embedded bytes and of the original files.
// Read with the bare platform calls, so that nothing here relies on the loader under test.
#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include <zlib.h>

#include "archive_fixture.h"
#include "shared/product_names.h"
#include "support/test_machine.h"

namespace {

std::string EmbeddedBytes(HINSTANCE instance, LPCSTR name) {
  HRSRC resource = sys::FindResourceA(instance, name, ArchiveResourceType);
  REQUIRE(resource != nullptr);
  DWORD size = sys::SizeofResource(instance, resource);
  if (size == 0) return "";
  HGLOBAL loaded = sys::LoadResource(instance, resource);
  REQUIRE(loaded != nullptr);
  const char* bytes = static_cast<const char*>(sys::LockResource(loaded));
  REQUIRE(bytes != nullptr);
  std::string copy(bytes, size);
  sys::FreeResource(loaded);
  return copy;
}

std::uint32_t Adler(const std::string& bytes) {
  return static_cast<std::uint32_t>(adler32(adler32(0L, Z_NULL, 0),
                                            reinterpret_cast<const Bytef*>(bytes.data()),
                                            static_cast<uInt>(bytes.size())));
}

// The whole stream inflated; "" with a failed check when it is no complete zlib stream.
std::string Inflate(const std::string& stored) {
  std::string inflated(1 << 20, '\0');
  uLongf size = static_cast<uLongf>(inflated.size());
  int status =
      uncompress(reinterpret_cast<Bytef*>(&inflated[0]), &size,
                 reinterpret_cast<const Bytef*>(stored.data()), static_cast<uLong>(stored.size()));
  CHECK_MESSAGE(status == Z_OK, "uncompress gave " << status);
  inflated.resize(status == Z_OK ? size : 0);
  return inflated;
}

} // namespace

TEST_CASE(
    "the packed payloads are maximum-compression zlib streams that the table's sums describe") {
  MachineFixture machine;
  HINSTANCE instance = ArchiveModule();
  struct Expected {
    const char* resource;
    const char* fileName;
    const char* original;
  };
  // The build packs them under the names it reads from the programs' header.
  const Expected payloads[] = {{"IDR_00", ScreenSaverFileName, "screensaver.bin"},
                               {"IDR_01", UninstallerFileName, "uninstaller.bin"}};

  const PayloadEntry* record = FixturePayloadTable;
  for (const Expected& payload : payloads) {
    INFO(payload.resource);
    CHECK(std::string(record->ResourceName) == payload.resource);
    CHECK(std::string(record->FileName) == payload.fileName);
    CHECK(SameTime(record->LastWriteTime, PayloadTime));

    const std::string stored = EmbeddedBytes(instance, payload.resource);
    REQUIRE(stored.size() > 2);
    CHECK(static_cast<unsigned char>(stored[0]) == 0x78);
    CHECK(static_cast<unsigned char>(stored[1]) == 0xDA);
    CHECK(Adler(stored) == record->StoredAdler);

    const std::string original = FixtureFile(payload.original);
    CHECK(Adler(original) == record->InflatedAdler);
    CHECK(Inflate(stored) == original);
    ++record;
  }
  const PayloadEntry end{};
  CHECK(std::memcmp(record, &end, sizeof end) == 0);

  const std::string text = EmbeddedBytes(instance, MAKEINTRESOURCEA(120));
  CHECK(text == FixtureFile("agreement.txt"));
  CHECK(Adler(text) == FixtureAgreementAdler);

#ifdef _WIN32
  // Every resource is stored under the language id 1031 (German, Germany).
  const WORD german = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
  CHECK(german == 1031);
  CHECK(::FindResourceExA(instance, ArchiveResourceType, "IDR_00", german) != nullptr);
  CHECK(::FindResourceExA(instance, ArchiveResourceType, MAKEINTRESOURCEA(120), german) != nullptr);
#endif
}

TEST_CASE("each damaged payload spoils exactly the one thing its tests rely on") {
  MachineFixture machine;
  HINSTANCE instance = ArchiveModule();
  const std::string intact = EmbeddedBytes(instance, "IDR_01");
  const PayloadEntry intactRecord = Record(FixturePayloadTable, "IDR_01");

  SUBCASE("a changed byte, caught by the stored sum only") {
    const std::string changed = EmbeddedBytes(instance, "IDR_CHANGED");
    REQUIRE(changed.size() == intact.size());
    int differing = 0;
    for (std::size_t i = 0; i < intact.size(); ++i) differing += changed[i] != intact[i];
    CHECK(differing == 1);
    CHECK(Record(DamagedPayloadTable, "IDR_CHANGED").StoredAdler == intactRecord.StoredAdler);
  }
  SUBCASE("a stream cut short, whose stored sum matches the bytes kept") {
    const std::string cut = EmbeddedBytes(instance, "IDR_CUT");
    CHECK(cut.size() < intact.size());
    CHECK(intact.compare(0, cut.size(), cut) == 0);
    CHECK(Record(DamagedPayloadTable, "IDR_CUT").StoredAdler == Adler(cut));
  }
  SUBCASE("an intact stream with a wrong inflated sum") {
    CHECK(EmbeddedBytes(instance, "IDR_BADSUM") == intact);
    const PayloadEntry badSum = Record(DamagedPayloadTable, "IDR_BADSUM");
    CHECK(badSum.StoredAdler == intactRecord.StoredAdler);
    CHECK(badSum.InflatedAdler != intactRecord.InflatedAdler);
  }
  SUBCASE("an empty resource") {
    CHECK(EmbeddedBytes(instance, MAKEINTRESOURCEA(121)).empty());
    CHECK(EmptyResourceAdler == 1);
  }
}
