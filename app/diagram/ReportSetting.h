#pragma once

// Keeps the report settings RS consistent: paper style, content items and page areas.

#include <QString>

#include <cstdint>

namespace vellumora {

// Resolves the paper style through the ini [ReportSize] entries, rebuilds the 13 content items
// and recomputes the page, print and report sizes from the printer.
void ReportSettingApply();
void ReportDescriptionAdd(const QString& description, std::int16_t category1, std::int16_t category2, bool perPage);
// Sets the printer's paper and orientation and recomputes the six derived sizes; without a known
// paper and orientation nothing changes.
void ReportAreaCalc();

} // namespace vellumora
