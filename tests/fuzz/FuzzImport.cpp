// libFuzzer target over the JSON import (kestrin-cli import). For any bytes
// the parse and the month built from it must end without a crash, a
// sanitizer report or runaway memory; a month that is accepted must save to
// a data file that loads again, and its JSON must import to the same file.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "RecordJson.h"
#include "core/DataFile.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  cli::Json json;
  TJsonError error;
  if (!ParseStrictJson(text, json, error)) {
    if (error.message.empty()) std::abort();  // every refusal says why
    return 0;
  }
  TMainData d;
  if (!cli::MainDataFromJson(json, d, error)) {
    if (error.message.empty()) std::abort();
    return 0;
  }
  const std::string bytes = MainDataBytes(d);
  TMainData back;
  TMemoryStream in(bytes);
  if (!LoadFromStream(in, back)) std::abort();  // an imported month must load

  TMainData again;
  if (!cli::MainDataFromJson(cli::MainDataToJson(d), again, error)) std::abort();
  if (MainDataBytes(again) != bytes) std::abort();
  return 0;
}
