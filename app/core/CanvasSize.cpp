#include "app/core/CanvasSize.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <algorithm>

namespace vellumora {

using platform::vbrt::Error;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

void LayoutGapsSet(LayoutConstants& lo)
{
    lo.horizontalGap = std::max(2 * lo.charWidth, 50);
    lo.verticalGap = std::max(lo.charHeight, 50);
    lo.lineLabelHeight = 3 * lo.verticalGap / 5;
    lo.subLineLabelWidth = 2 * lo.horizontalGap / 3;
    lo.newPageMark = 4 * std::min(lo.horizontalGap, lo.verticalGap) / 5;
    lo.blockHorizontalGap = lo.horizontalGap;
    lo.blockVerticalGap = lo.verticalGap;
}

void CanvasSizeLoad()
{
    CanvasSize = CanvasSizeRecord::Default;
    struct Key {
        const char* name;
        std::int32_t CanvasSizeRecord::*member;
    };
    static const Key keys[] = {
        {"Width", &CanvasSizeRecord::Width},         {"Height", &CanvasSizeRecord::Height},
        {"LeftSpace", &CanvasSizeRecord::LeftSpace}, {"RightSpace", &CanvasSizeRecord::RightSpace},
        {"TopSpace", &CanvasSizeRecord::TopSpace},   {"BottomSpace", &CanvasSizeRecord::BottomSpace},
    };
    for (const Key& key : keys) {
        const QString text = CommonServices
                                 ? CommonServices->GetInitFile(QStringLiteral("CanvasSize"), QString::fromLatin1(key.name))
                                 : QString();
        // A missing or broken value must not keep the program from starting: its member stays 0.
        if (!platform::vbrt::IsNumeric(text))
            continue;
        try {
            CanvasSize.*key.member = CentimeterToTwip(static_cast<float>(platform::vbrt::CDbl(text)));
        } catch (const Error& e) {
            if (e.number() != ErrorNumber::Overflow)
                throw;
        }
    }
}

} // namespace vellumora
