#include "command_line.h"

#include <set>
#include <stdexcept>

namespace pack {

const char Usage[] =
    "usage: zm-pack --out-dir DIR [--rc FILE] [--table FILE] [--header FILE]\n"
    "               [--host-resources FILE] [--symbol NAME] [--register-function NAME]\n"
    "               [--payload RESOURCE FILE-NAME PATH]...\n"
    "               [--text ID ADLER-CONSTANT PATH]...\n"
    "               [--damaged-payload RESOURCE FILE-NAME PATH DAMAGE]...\n"
    "Packs each payload into one zlib stream (resource type ZEMBRINO, string name RESOURCE)\n"
    "that the installer writes to FILE-NAME, and stores each text plain under the integer ID.\n"
    "Writes the stored bytes into DIR and generates the resource script, the payload table\n"
    "(symbol NAME, default PayloadTable), a header with the table's declaration and the texts'\n"
    "sums, and the source that registers the same resources with the emulated platform.\n"
    "DAMAGE, for archives that tests expect the installer to reject:\n"
    "  cut=N         the stored stream ends after N bytes (its stored sum matches them)\n"
    "  byte=N        stored byte N is changed after the stored sum was taken\n"
    "  inflated-sum  the table's sum of the inflated file is wrong\n";

namespace {

bool IsIdentifier(const std::string& name) {
  bool valid = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
  for (char c : name) {
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    bool digit = c >= '0' && c <= '9';
    valid = valid && (letter || digit || c == '_');
  }
  return valid;
}

// Must fit the table's char[16] with its NUL. Not a number, so that the resource compiler and
// FindResourceA take it as a string name.
void CheckResourceName(const std::string& name) {
  if (!IsIdentifier(name) || name.size() >= 16)
    throw std::runtime_error(
        "resource name \"" + name +
        "\" must be 1 to 15 letters, digits or '_', not starting with a digit");
}

// Must fit the table's char[32] with its NUL, and name a file right in the installation directory.
void CheckFileName(const std::string& name) {
  bool valid = !name.empty() && name.size() < 32 && name != "." && name != "..";
  for (char c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    valid = valid && byte >= 0x20 && byte != 0x7F && c != '\\' && c != '/' && c != ':';
  }
  if (!valid)
    throw std::runtime_error("file name \"" + name +
                             "\" must be 1 to 31 printable characters without \\ / or :");
}

void CheckIdentifier(const std::string& name, const char* what) {
  if (!IsIdentifier(name))
    throw std::runtime_error(std::string(what) + " \"" + name + "\" is no C++ name");
}

// The resource script names files in double quotes.
void CheckPath(const std::string& path) {
  if (path.empty() || path.find('"') != std::string::npos)
    throw std::runtime_error("path \"" + path + "\" is empty or holds a double quote");
}

std::size_t ParseCount(const std::string& text, const std::string& context) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9)
    throw std::runtime_error(context + ": \"" + text + "\" is no number");
  return std::stoul(text);
}

Damage ParseDamage(const std::string& text) {
  Damage damage;
  if (text == "inflated-sum") {
    damage.kind = Damage::Kind::WrongInflatedSum;
  } else if (text.rfind("cut=", 0) == 0) {
    damage.kind = Damage::Kind::Cut;
    damage.position = ParseCount(text.substr(4), "cut");
  } else if (text.rfind("byte=", 0) == 0) {
    damage.kind = Damage::Kind::ChangedByte;
    damage.position = ParseCount(text.substr(5), "byte");
  } else {
    throw std::runtime_error("unknown damage \"" + text + "\"");
  }
  return damage;
}

} // namespace

Request ParseCommandLine(const std::vector<std::string>& arguments) {
  Request request;
  std::set<std::string> payloadNames;
  std::set<unsigned> textIds;
  std::size_t i = 0;
  auto take = [&](const std::string& option, std::size_t count) {
    if (arguments.size() - i < count)
      throw std::runtime_error(option + " needs " + std::to_string(count) + " argument(s)");
    std::vector<std::string> values(arguments.begin() + static_cast<long>(i),
                                    arguments.begin() + static_cast<long>(i + count));
    i += count;
    return values;
  };
  auto addPayload = [&](const std::vector<std::string>& v, Damage damage) {
    CheckResourceName(v[0]);
    CheckFileName(v[1]);
    CheckPath(v[2]);
    // Resource names are looked up without regard to case.
    std::string key;
    for (char c : v[0]) key += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (!payloadNames.insert(key).second)
      throw std::runtime_error("resource " + v[0] + " is given twice");
    request.payloads.push_back(PayloadRequest{v[0], v[1], v[2], damage});
  };

  while (i < arguments.size()) {
    const std::string option = arguments[i++];
    if (option == "--out-dir") {
      request.outDir = take(option, 1)[0];
    } else if (option == "--rc") {
      request.resourceScript = take(option, 1)[0];
    } else if (option == "--table") {
      request.tableSource = take(option, 1)[0];
    } else if (option == "--header") {
      request.header = take(option, 1)[0];
    } else if (option == "--host-resources") {
      request.hostResources = take(option, 1)[0];
    } else if (option == "--symbol") {
      request.tableSymbol = take(option, 1)[0];
      CheckIdentifier(request.tableSymbol, "symbol");
    } else if (option == "--register-function") {
      request.registerFunction = take(option, 1)[0];
      CheckIdentifier(request.registerFunction, "register function");
    } else if (option == "--payload") {
      addPayload(take(option, 3), Damage{});
    } else if (option == "--damaged-payload") {
      auto v = take(option, 4);
      addPayload(v, ParseDamage(v[3]));
    } else if (option == "--text") {
      auto v = take(option, 3);
      std::size_t id = ParseCount(v[0], "text id");
      // Integer resource identifiers are 16 bits wide, and 0 names no resource.
      if (id == 0 || id > 0xFFFF) throw std::runtime_error("text id " + v[0] + " is out of range");
      if (!textIds.insert(static_cast<unsigned>(id)).second)
        throw std::runtime_error("text id " + v[0] + " is given twice");
      CheckIdentifier(v[1], "constant");
      CheckPath(v[2]);
      request.texts.push_back(TextRequest{static_cast<unsigned>(id), v[1], v[2]});
    } else {
      throw std::runtime_error("unknown argument \"" + option + "\"");
    }
  }
  if (request.outDir.empty()) throw std::runtime_error("--out-dir is required");
  CheckPath(request.outDir);
  return request;
}

} // namespace pack
