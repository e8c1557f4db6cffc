#pragma once

#include <string>

#include "analysis/Report.h"

// The report as plain text for people: one block each for the filters, the bands, the crossovers and
// the sum, English, '.' as the point whatever the locale, each line ended by '\n'.
std::string ReportText(const DesignReport& report);
