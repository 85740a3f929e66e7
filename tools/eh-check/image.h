// A linked program (pe_image.h) as the table reader reads it: the Source through which the
// installer's own reader reaches the program's bytes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "pe_image.h"
#include "runtime/eh_tables.h"
#include "runtime/give_up.h"

namespace eh_check {

using runtime::GiveUp;
using runtime::eh::Address;

using linked::Image;
using linked::Section;

// What the run-time would refuse, with the construct that made it refuse.
struct Refused {
  GiveUp reason;
  std::uint32_t culprit;
};

// A table pointing somewhere the program has no bytes: the run-time would read garbage there.
struct OutsideImage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ImageSource {
public:
  explicit ImageSource(const Image& image) : image_(&image) {}

  std::uint8_t Byte(Address at) const { return *Bytes(at, 1); }
  std::uint32_t Load(Address at, unsigned bytes) const {
    const std::uint8_t* p = Bytes(at, bytes);
    std::uint32_t value = 0;
    for (unsigned i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return value;
  }
  [[noreturn]] static void Refuse(GiveUp reason, std::uint32_t culprit) {
    throw Refused{reason, culprit};
  }

private:
  const std::uint8_t* Bytes(Address at, unsigned count) const;

  const Image* image_;
};

// The run-time's refusal in words, naming the construct by its DWARF name.
std::string Describe(const Refused& refused);

// Names of the constructs, for messages and the census.
std::string CallFrameInstructionName(std::uint8_t op);
std::string PointerEncodingName(std::uint8_t encoding);
std::string ExpressionOpName(std::uint8_t op);

} // namespace eh_check
