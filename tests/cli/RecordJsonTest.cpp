// The JSON form of a month: what import accepts, what it refuses and why.
#include <gtest/gtest.h>

#include "RecordJson.h"

using namespace kestrin;
using cli::Json;

namespace {

const int32_t kFeb2025 = PackDate(2025, 2, 1);

Json Minimal() { return Json{{"BasicInfo", {{"Getsudo", kFeb2025}}}}; }

Json WithDay(Json day) {
  Json j = Minimal();
  j["SlumpList"] = Json::array({std::move(day)});
  return j;
}

Json Day(int day, Json am, Json pm) {
  return Json{{"Day", day}, {"SokuteiList", Json::array({{{"Value", am}}, {{"Value", pm}}})}};
}

}  // namespace

TEST(RecordJson, MinimalMonthTakesTheDefaults) {
  TMainData d;
  TJsonError error;
  ASSERT_TRUE(cli::MainDataFromJson(Minimal(), d, error)) << error.message;
  EXPECT_EQ(d.BasicInfo.Getsudo, kFeb2025);
  EXPECT_EQ(d.SlumpList.Count(), 28);
  EXPECT_EQ(d.BasicInfo.KariAveX, 1800);
  EXPECT_EQ(d.BasicInfo.Kyoyo, 200);
  EXPECT_EQ(d.BasicInfo.ClassWidth, 0.5L);
  EXPECT_EQ(d.HistogramList.Count(), 11);
  EXPECT_EQ(d.BasicInfo.EndDay, 28);
  EXPECT_EQ(d.CalcedResult.SumF, 0);
}

TEST(RecordJson, OnlyHeaderAndValuesAreTakenTheRestIsRecomputed) {
  Json j = WithDay(Day(3, 1750, 2200));
  j["BasicInfo"]["StartDay"] = 9;
  j["BasicInfo"]["Kyoyo"] = 300;
  j["SlumpList"][0]["SokuteiList"][1]["Judge"] = true;  // 22.0 fails 18.0 +- 3.0
  j["HistogramList"] = Json::array({{{"F", 99}}});
  j["CalcedResult"] = {{"SumF", 42}};
  TMainData d;
  TJsonError error;
  ASSERT_TRUE(cli::MainDataFromJson(j, d, error)) << error.message;
  EXPECT_EQ(d.BasicInfo.StartDay, 1);
  EXPECT_EQ(d.HistogramList.Count(), 15);
  EXPECT_EQ(d.SlumpList.Items(2).SokuteiList.Items(0).Value, 1750);
  EXPECT_TRUE(d.SlumpList.Items(2).SokuteiList.Items(0).Judge);
  EXPECT_FALSE(d.SlumpList.Items(2).SokuteiList.Items(1).Judge);
  EXPECT_EQ(d.CalcedResult.SumF, 2);
}

TEST(RecordJson, CementFollowsTheCementRules) {
  Json j = Minimal();
  j["BasicInfo"]["Cement"] = {{"Name", "高炉B種"}, {"Mark", "XX"}};
  TMainData d;
  TJsonError error;
  ASSERT_TRUE(cli::MainDataFromJson(j, d, error));
  EXPECT_EQ(d.BasicInfo.Cement.Mark, "BB");  // a standard name brings its own mark
  j["BasicInfo"]["Cement"] = {{"Name", "特注"}, {"Mark", "Z"}};
  ASSERT_TRUE(cli::MainDataFromJson(j, d, error));
  EXPECT_EQ(d.BasicInfo.Cement.Name, Sjis("特注"));
  EXPECT_EQ(d.BasicInfo.Cement.Mark, "Z");
}

TEST(RecordJson, OutputThenInputIsTheSameMonth) {
  TMainData src;
  TJsonError error;
  Json j = WithDay(Day(28, 1810, 0));
  j["BasicInfo"].update({{"Kojo", "東京第一工場"}, {"Tanto", "山田"}, {"Biko", "～①"},
                         {"Kyodo", 24}, {"Kotsuzai", 20}, {"Air", 4.5}, {"AirKyoyo", 1.5},
                         {"KariAveX", 1500}, {"Kyoyo", 250}, {"ClassWidth", 0.25}});
  ASSERT_TRUE(cli::MainDataFromJson(j, src, error)) << error.message;
  const Json out = cli::MainDataToJson(src);
  EXPECT_EQ(out["BasicInfo"]["Biko"], "～①");
  EXPECT_EQ(out["BasicInfo"]["ClassWidth"], 0.25);
  TMainData back;
  ASSERT_TRUE(cli::MainDataFromJson(out, back, error)) << error.message;
  EXPECT_EQ(cli::MainDataToJson(back), out);
}

TEST(RecordJson, RefusalsNameTheField) {
  struct Case {
    std::function<void(Json&)> edit;
    std::string field;
  };
  const Case cases[] = {
      {[](Json& j) { j = Json::array(); }, ""},
      {[](Json& j) { j["Extra"] = 1; }, "Extra"},
      {[](Json& j) { j.erase("BasicInfo"); }, "BasicInfo"},
      {[](Json& j) { j["BasicInfo"] = "x"; }, "BasicInfo"},
      {[](Json& j) { j["BasicInfo"].erase("Getsudo"); }, "BasicInfo.Getsudo"},
      {[](Json& j) { j["BasicInfo"]["Getsudo"] = PackDate(2025, 13, 1); }, "BasicInfo.Getsudo"},
      {[](Json& j) { j["BasicInfo"]["Getsudo"] = PackDate(1899, 12, 1); }, "BasicInfo.Getsudo"},
      {[](Json& j) { j["BasicInfo"]["Getsudo"] = -5; }, "BasicInfo.Getsudo"},
      {[](Json& j) { j["BasicInfo"]["Getsudo"] = 132711937.0; }, "BasicInfo.Getsudo"},
      {[](Json& j) { j["BasicInfo"]["Kyouyo"] = 200; }, "BasicInfo.Kyouyo"},
      {[](Json& j) { j["BasicInfo"]["Kyoyo"] = 501; }, "BasicInfo.Kyoyo"},
      {[](Json& j) { j["BasicInfo"]["Kyoyo"] = -1; }, "BasicInfo.Kyoyo"},
      {[](Json& j) { j["BasicInfo"]["KariAveX"] = 9991; }, "BasicInfo.KariAveX"},
      {[](Json& j) { j["BasicInfo"]["KariAveX"] = 18446744073709551615ull; }, "BasicInfo.KariAveX"},
      {[](Json& j) { j["BasicInfo"]["Kyodo"] = 100; }, "BasicInfo.Kyodo"},
      {[](Json& j) { j["BasicInfo"]["Kyodo"] = "24"; }, "BasicInfo.Kyodo"},
      {[](Json& j) { j["BasicInfo"]["Air"] = -0.1; }, "BasicInfo.Air"},
      {[](Json& j) { j["BasicInfo"]["AirKyoyo"] = 5.1; }, "BasicInfo.AirKyoyo"},
      {[](Json& j) { j["BasicInfo"]["Kotsuzai"] = 10000; }, "BasicInfo.Kotsuzai"},
      {[](Json& j) { j["BasicInfo"]["ClassWidth"] = 0; }, "BasicInfo.ClassWidth"},
      {[](Json& j) { j["BasicInfo"]["ClassWidth"] = 0.004; }, "BasicInfo.ClassWidth"},  // w = 0
      {[](Json& j) { j["BasicInfo"]["Tanto"] = "あいうえおかきくけ"; }, "BasicInfo.Tanto"},  // 18 bytes
      {[](Json& j) { j["BasicInfo"]["Kojo"] = std::string(21, 'k'); }, "BasicInfo.Kojo"},
      {[](Json& j) { j["BasicInfo"]["Kojo"] = "工場😀"; }, "BasicInfo.Kojo"},
      {[](Json& j) { j["BasicInfo"]["Biko"] = std::string("a\0b", 3); }, "BasicInfo.Biko"},
      {[](Json& j) { j["BasicInfo"]["Biko"] = 5; }, "BasicInfo.Biko"},
      {[](Json& j) { j["BasicInfo"]["Cement"] = "普通"; }, "BasicInfo.Cement"},
      {[](Json& j) { j["BasicInfo"]["Cement"] = {{"Name", "フライアッシュA種ｘ"}}; }, "BasicInfo.Cement.Name"},
      {[](Json& j) { j["BasicInfo"]["Cement"] = {{"Mark", "ABCD"}}; }, "BasicInfo.Cement.Mark"},
      {[](Json& j) { j["SlumpList"] = Json::object(); }, "SlumpList"},
      {[](Json& j) { j["SlumpList"] = Json::array({1}); }, "SlumpList[0]"},
      {[](Json& j) { j = WithDay(Day(0, 1800, 1800)); }, "SlumpList[0].Day"},
      {[](Json& j) { j = WithDay(Day(29, 1800, 1800)); }, "SlumpList[0].Day"},  // February 2025
      {[](Json& j) { j = WithDay(Json{{"SokuteiList", Json::array()}}); }, "SlumpList[0].Day"},
      {[](Json& j) { j = WithDay(Json{{"Day", 1}}); }, "SlumpList[0].SokuteiList"},
      {[](Json& j) {
         j = WithDay(Day(1, 1, 1));
         j["SlumpList"].push_back(Day(1, 2, 2));
       },
       "SlumpList[1].Day"},
      {[](Json& j) {
         j = WithDay(Day(1, 1, 1));
         j["SlumpList"][0]["SokuteiList"].erase(1);
       },
       "SlumpList[0].SokuteiList"},
      {[](Json& j) { j = WithDay(Day(1, 1800, -1)); }, "SlumpList[0].SokuteiList[1].Value"},
      {[](Json& j) { j = WithDay(Day(1, 1800.5, 0)); }, "SlumpList[0].SokuteiList[0].Value"},
      {[](Json& j) { j = WithDay(Day(1, nullptr, 0)); }, "SlumpList[0].SokuteiList[0].Value"},
      {[](Json& j) {
         j = WithDay(Day(1, 1, 1));
         j["SlumpList"][0]["SokuteiList"][0]["Judge"] = "yes";
       },
       "SlumpList[0].SokuteiList[0].Judge"},
      {[](Json& j) {
         j = WithDay(Day(1, 1, 1));
         j["SlumpList"][0]["SokuteiList"][1].erase("Value");
       },
       "SlumpList[0].SokuteiList[1].Value"},
  };
  for (const auto& c : cases) {
    Json j = Minimal();
    c.edit(j);
    TMainData d;
    d.BasicInfo.Biko = "untouched";
    TJsonError error;
    EXPECT_FALSE(cli::MainDataFromJson(j, d, error)) << j.dump();
    EXPECT_EQ(error.field, c.field) << j.dump();
    if (!c.field.empty()) {
      EXPECT_NE(error.message.find(c.field), std::string::npos) << error.message;
    }
    EXPECT_EQ(d.BasicInfo.Biko, "untouched");
  }
}

TEST(RecordJson, LimitsThemselvesAreAccepted) {
  Json j = WithDay(Day(28, 9990, 0));
  j["BasicInfo"].update({{"Tanto", "あいうえおかきく"}, {"Kojo", std::string(20, 'k')},
                         {"Biko", std::string(40, 'b')}, {"Kyoyo", 500}, {"KariAveX", 9990},
                         {"Kyodo", 99.9}, {"AirKyoyo", 5}, {"Air", 99.9}, {"Kotsuzai", 9999},
                         {"Cement", {{"Name", "フライアッシュA種"}, {"Mark", "ABC"}}},
                         {"Getsudo", PackDate(2100, 12, 31)}});
  j["BasicInfo"]["Getsudo"] = PackDate(2025, 2, 31);
  TMainData d;
  TJsonError error;
  EXPECT_TRUE(cli::MainDataFromJson(j, d, error)) << error.message;
  EXPECT_EQ(d.BasicInfo.Tanto.size(), 16u);
  EXPECT_EQ(d.HistogramList.Count(), 23);
}
