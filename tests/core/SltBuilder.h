// Builds .slt bytes by hand, item by item, with its own little-endian and
// 80-bit encoders, so tests can check the program's reader and writer
// against the layout itself rather than against each other.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace slt {

class Bytes {
 public:
  Bytes& Raw(const std::string& s) {
    data_ += s;
    return *this;
  }
  Bytes& U8(uint8_t v) {
    data_.push_back(static_cast<char>(v));
    return *this;
  }
  Bytes& I32(int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(u >> (8 * i)));
    return *this;
  }
  Bytes& I64(int64_t v) {
    const auto u = static_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i) U8(static_cast<uint8_t>(u >> (8 * i)));
    return *this;
  }
  Bytes& Bool(bool v) { return U8(v ? 1 : 0); }
  // Count = length + 1, the bytes, a 0.
  Bytes& Str(const std::string& cp932) {
    I32(static_cast<int32_t>(cp932.size() + 1));
    Raw(cp932);
    return U8(0);
  }
  // A positive or negative normal double in the 10-byte form: the 53-bit
  // significand moved to the top of 64 bits (integer bit explicit), then the
  // sign and the exponent biased by 16383. Zero is all zero bytes.
  Bytes& Ext(double v) {
    uint64_t mant = 0;
    uint16_t se = 0;
    if (v != 0) {
      int e = 0;
      const double f = std::frexp(std::fabs(v), &e);  // 0.5 <= f < 1
      mant = static_cast<uint64_t>(std::ldexp(f, 53)) << 11;
      se = static_cast<uint16_t>(e - 1 + 16383);
      if (v < 0) se |= 0x8000;
    }
    for (int i = 0; i < 8; ++i) U8(static_cast<uint8_t>(mant >> (8 * i)));
    U8(static_cast<uint8_t>(se));
    return U8(static_cast<uint8_t>(se >> 8));
  }
  // Currency: value x 10000 as a 64-bit integer, given here already scaled.
  Bytes& Cur(int64_t scaled) { return I64(scaled); }

  // The current header: magic, binary 211, "SLT ".
  Bytes& Header211() { return Raw("SLUMPTES").I32(211).Raw("SLT "); }

  Bytes& Zeros(std::size_t n) {
    data_.append(n, '\0');
    return *this;
  }

  std::size_t Size() const { return data_.size(); }
  const std::string& Str() const { return data_; }

 private:
  std::string data_;
};

inline int32_t Packed(int32_t y, int32_t m, int32_t d) { return y * 65536 + m * 256 + d; }

}  // namespace slt
