// The X̄–R chart's figures in the JSON of kestrin-cli stats, added beside
// the month record's (RecordJson.h):
//  "Capability": {..., "CpWithin", "CpkWithin", "CpLow", "CpHigh",
//                 "CpkLow", "CpkHigh"}              (null when undefined)
//  "ControlChart": {"Subgroups", "Center", "UCL", "LCL", "RBar", "RUCL",
//                   "Sigma", "Reference": null | {"Months": ["2025-03", ...],
//                   "Subgroups"}}                    (null without limits)
//  "ControlSignals": [{"Rule": 1-8, "Chart": "Xbar"|"R",
//                      "Side": "Above"|"Below"|"Up"|"Down"|null,
//                      "From": {"Day"}, "To": {"Day"}, "Count"}, ...]
// Limit values are in cm, unrounded; reference months oldest first.
#pragma once

#include <nlohmann/json.hpp>

#include "core/ControlChart.h"
#include "core/MainData.h"

namespace kestrin::cli {

// Adds the keys above to `json`, the object MainDataToJson made of `data`.
void AddControlChartJson(nlohmann::ordered_json& json, const TMainData& data, const TControlChart& chart);

}  // namespace kestrin::cli
