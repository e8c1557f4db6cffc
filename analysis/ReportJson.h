#pragma once

#include <nlohmann/json.hpp>

#include "analysis/Report.h"

// The report as one JSON object with lower snake case keys: rate_hz, attenuation_asked_db,
// filters.{low,mid,high,sum}, bands.{low,mid,high}, crossovers.{low_mid,mid_high}, sum. A value that
// could not be measured (a level never crossed, an empty pass band) is null.
nlohmann::ordered_json ReportJson(const DesignReport& report);
