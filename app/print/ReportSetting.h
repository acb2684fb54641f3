#pragma once

// Keeps the report settings RS consistent: paper style, content items and page areas.

namespace vellumora {

// Resolves the paper style through the ini file, rebuilds the content items and recomputes
// the page, print and report sizes.
void ReportSettingApply();

} // namespace vellumora
