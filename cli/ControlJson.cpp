// The X̄–R chart in the stats JSON; see ControlJson.h.
#include "ControlJson.h"

#include <cstdio>
#include <string>

#include "core/CapabilityBounds.h"
#include "core/Numbers.h"

namespace kestrin::cli {

namespace {

using Json = nlohmann::ordered_json;

Json Index(const std::optional<double>& v) { return v ? Json(*v) : Json(nullptr); }

Json Cm(long double hundredths) { return Json(static_cast<double>(hundredths / 100.0L)); }

std::string MonthKey(int32_t getsudo) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d", static_cast<int>(DateYear(getsudo)) % 10000,
                static_cast<int>(DateMonth(getsudo)) % 100);
  return text;
}

Json SideJson(TControlSide side) {
  switch (side) {
    case TControlSide::Above: return "Above";
    case TControlSide::Below: return "Below";
    case TControlSide::Up: return "Up";
    case TControlSide::Down: return "Down";
    case TControlSide::None: break;
  }
  return nullptr;
}

}  // namespace

void AddControlChartJson(Json& json, const TMainData& data, const TControlChart& chart) {
  const TCapabilityBounds b = MonthCapabilityBounds(data, chart);
  Json& cap = json["Capability"];
  cap["CpWithin"] = Index(b.CpWithin);
  cap["CpkWithin"] = Index(b.CpkWithin);
  cap["CpLow"] = Index(b.CpLow);
  cap["CpHigh"] = Index(b.CpHigh);
  cap["CpkLow"] = Index(b.CpkLow);
  cap["CpkHigh"] = Index(b.CpkHigh);

  if (!chart.Limits) {
    json["ControlChart"] = nullptr;
  } else {
    const TControlLimits& l = *chart.Limits;
    Json reference = nullptr;
    if (chart.Origin == TLimitOrigin::Reference) {
      Json months = Json::array();
      for (const int32_t m : chart.ReferenceMonths) months.push_back(MonthKey(m));
      reference = Json{{"Months", std::move(months)}, {"Subgroups", l.Source.Count}};
    }
    json["ControlChart"] = Json{{"Subgroups", chart.Points.size()},
                                {"Center", Cm(l.Center)},
                                {"UCL", Cm(l.Ucl)},
                                {"LCL", Cm(l.Lcl)},
                                {"RBar", Cm(l.RBar)},
                                {"RUCL", Cm(l.RUcl)},
                                {"Sigma", static_cast<double>(l.Sigma)},
                                {"Reference", std::move(reference)}};
  }

  Json signals = Json::array();
  for (const TControlSignal& s : chart.Signals)
    signals.push_back(Json{{"Rule", s.Rule},
                           {"Chart", s.Chart == TControlChartKind::Xbar ? "Xbar" : "R"},
                           {"Side", SideJson(s.Side)},
                           {"From", {{"Day", s.FromDay}}},
                           {"To", {{"Day", s.ToDay}}},
                           {"Count", s.Count}});
  json["ControlSignals"] = std::move(signals);
}

}  // namespace kestrin::cli
