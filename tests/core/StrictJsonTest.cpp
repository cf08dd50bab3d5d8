// The strict JSON reader: what it refuses of a text and how the refusal
// names the field or the byte position.
#include <gtest/gtest.h>

#include "core/StrictJson.h"

using namespace kestrin;

TEST(StrictJson, RefusalsNameTheFieldOrTheBytePosition) {
  struct Case {
    std::string text;
    std::string field;
    std::string message;
  };
  const Case cases[] = {
      {R"({"BasicInfo": {"Getsudo": 1e400}})", "BasicInfo.Getsudo",
       "項目 BasicInfo.Getsudo の数値が大きすぎます"},
      {R"({"SlumpList": [{"Day": 1}, {"SokuteiList": [{"Value": -1E999}]}]})",
       "SlumpList[1].SokuteiList[0].Value", "項目 SlumpList[1].SokuteiList[0].Value の数値が大きすぎます"},
      {"1e400", "", "JSON の数値が大きすぎます（5 バイト目付近）"},
      {std::string("{\"BasicInfo\": {}}\0junk", 22), "", "NUL バイトがあります（18 バイト目）"},
      {"{\"BasicInfo\": {}} {}", "", "JSON の形式が正しくありません（19 バイト目付近）"},
      {"{\"a\": \"[[[\"}" + std::string(kMaxJsonDepth + 1, '['), "",
       "入れ子が深すぎます（" + std::to_string(12 + kMaxJsonDepth + 1) + " バイト目，"},
  };
  for (const auto& c : cases) {
    TJson json;
    TJsonError error;
    EXPECT_FALSE(ParseStrictJson(c.text, json, error)) << c.text;
    EXPECT_EQ(error.field, c.field) << c.text;
    EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
  }
}

TEST(StrictJson, DeepNestingIsRefusedBeforeItIsBuilt) {
  // 16 MiB of "[" once took over a gigabyte; the limit stops it at once.
  const std::string text(16 * 1024 * 1024, '[');
  TJson json;
  TJsonError error;
  EXPECT_FALSE(ParseStrictJson(text, json, error));
  EXPECT_NE(error.message.find(std::to_string(kMaxJsonDepth + 1) + " バイト目"), std::string::npos)
      << error.message;

  std::string deepest;
  for (int i = 0; i < kMaxJsonDepth; ++i) deepest += "[";
  for (int i = 0; i < kMaxJsonDepth; ++i) deepest += "]";
  EXPECT_TRUE(ParseStrictJson(deepest, json, error)) << error.message;
  const TJson month = {{"BasicInfo", {{"Getsudo", 132645120}}}};
  EXPECT_TRUE(ParseStrictJson(month.dump(), json, error)) << error.message;
  EXPECT_EQ(json, month);
}
