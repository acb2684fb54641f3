#include "app/print/ReportSetting.h"

namespace vellumora {

void ReportSettingApply() {}

} // namespace vellumora
