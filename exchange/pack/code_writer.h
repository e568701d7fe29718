// Writes codes to the bit stream, keeping the coder state the unpacker will track: the literal
// mode and the index width.
#pragma once

#include <cstddef>
#include <cstdint>

#include "exchange/pack/bit_writer.h"
#include "exchange/pack/literal_modes.h"
#include "exchange/pack/pack_code.h"

class CodeWriter {
 public:
  explicit CodeWriter(BitWriter& out) : out_(out) {}

  void ModeChange(const LiteralMode& mode);
  void IndexWidth(int width);
  void Literal(unsigned char byte);
  // Writes a code other than a literal or a raw group.
  void Copy(const PackCode& code);
  // Writes one 256-byte group of a raw run; `more` tells whether another group follows.
  void RawGroup(const unsigned char* bytes, bool first, bool more);
  void End();

  int CurrentIndexWidth() const { return indexWidth_; }
  const LiteralMode& CurrentMode() const { return mode_; }

 private:
  BitWriter& out_;
  LiteralMode mode_{8, 0};
  int indexWidth_ = 8;
};
