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
  // Writes a code that copies earlier output or a zero byte: any kind but Literal and RawGroup.
  void Copy(const PackCode& code);
  // Writes one 256-byte group of a raw run; `more` tells whether another group follows it.
  void RawGroup(const unsigned char* bytes, bool more);
  void End();

  int CurrentIndexWidth() const { return indexWidth_; }
  // Between the groups of a raw run no other code may come.
  bool InRawRun() const { return inRawRun_; }

 private:
  BitWriter& out_;
  LiteralMode mode_{8, 0};
  int indexWidth_ = 8;
  bool inRawRun_ = false;
};
