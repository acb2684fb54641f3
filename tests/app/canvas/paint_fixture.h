#pragma once

// A canvas with its window, built box by box with the storage routines and placed by hand, for
// the painting and control-placement tests. Texts measure with the fake measurer.

#include "app/canvas/CanvasForm.h"
#include "app/canvas/PageSetting.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "support/PaintChart.h"
#include "platform/textmeasure/TextMeasure.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace painttest {

using namespace vellumora;

// Attribute bits of the kinds the tests build.
inline std::int32_t AttrOf(std::int32_t tag)
{
    switch (tag) {
    case TagId::Block:
    case TagId::Jump:
        return TagAttribute::Frame;
    case TagId::Routine:
    case TagId::Loop:
    case TagId::Tree:
        return TagAttribute::SubLevel;
    case TagId::Branch:
        return TagAttribute::MultiSub;
    default:
        return 0;
    }
}

class CanvasFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::textmeasure::UseFakeTextMeasurer(true);
        PlainDocumentGlobalsSet();
        LO = LayoutConstants::Default;
        CurrentFontColorState = FontColorState::Default;
        B.assign(1, CanvasRecord{});
        BoxListClear(0);
        canvas = CanvasSlotSetup(-1, 0);
        form = CanvasWindowOf(B[canvas]);
        form->timRefresh->stop();
    }

    void TearDown() override
    {
        for (CanvasRecord& record : B)
            delete record.form.data();
        B.clear();
        platform::textmeasure::UseFakeTextMeasurer(false);
    }

    BoxRecord& box(std::int16_t n) { return B[canvas].BoxList[n]; }
    SubRecord& sub(std::int16_t n) { return B[canvas].SubList[n]; }

    // A box of the kind at xy with the painted size, after box before (or heading the chain of
    // sub line upper, or the canvas when both are below 1).
    std::int16_t Add(std::int32_t tag, const QString& text, Point xy, Point size, std::int16_t before = -1,
                     std::int16_t upper = -1)
    {
        const std::int16_t n = ChainBoxAdd(canvas, tag, AttrOf(tag), text, before, upper);
        box(n).xy = xy;
        box(n).sizeP = size;
        return n;
    }

    // A sub line of box owner after sub line before, starting at xy with the painted size.
    std::int16_t AddSub(std::int16_t owner, Point xy, Point size = {}, std::int16_t before = -1)
    {
        const std::int16_t s = SubLineAdd(canvas, before, owner, 1);
        if (before > 0)
            sub(before).after = s;
        else
            box(owner).subIndex = s;
        box(owner).subCount++;
        sub(s).xy[0] = xy;
        sub(s).sizeP = size;
        return s;
    }

    std::int16_t canvas = 0;
    CanvasForm* form = nullptr;
};

} // namespace painttest
