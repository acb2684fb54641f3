// Every sample document parsed, laid out, arranged and painted: each box that painting reaches is
// inked inside its rectangle, and each framed kind has its frame exactly where the layout put it.
#include "canvas_windows.h"

#include "app/canvas/CanvasForm.h"
#include "app/canvas/PageSetting.h"
#include "app/diagram/BoxMake.h"
#include "app/diagram/TagTable.h"
#include "support/SampleDocuments.h"

#include <QImage>
#include <QPainter>

#include <set>
#include <vector>

namespace paddraw_test {
namespace {

using platform::graphics::DrawRecord;

// The boxes painting reaches: shown boxes of the top chain and, below a shown box, its chains.
std::vector<std::int16_t> PaintedBoxes(const CanvasRecord& canvas)
{
    std::vector<std::int16_t> found;
    std::vector<std::int16_t> chains{canvas.header.firstBox};
    while (!chains.empty()) {
        std::int16_t n = chains.back();
        chains.pop_back();
        for (; n >= 1; n = canvas.BoxList[n].after) {
            const BoxRecord& b = canvas.BoxList[n];
            if ((b.flags & BoxFlag::Shown) == 0)
                continue;
            found.push_back(n);
            for (std::int16_t s = b.subIndex; s >= 1; s = canvas.SubList[s].after)
                chains.push_back(canvas.SubList[s].boxIndex);
        }
    }
    return found;
}

class PaintSamplesTest : public PadDrawTest {};

TEST_F(PaintSamplesTest, EveryPaintedBoxIsInkedAndFramedWhereTheLayoutPutIt)
{
    int boxesChecked = 0;
    for (const QString& sample : testsupport::SampleDocuments()) {
        SCOPED_TRACE(sample.toStdString());
        CanvasSizeLoad();
        open(sample);
        PadDrawRefresh(-1);
        for (std::int16_t c = 1; c < static_cast<std::int16_t>(B.size()); ++c) {
            SCOPED_TRACE(c);
            CanvasRecord& canvas = Canvas(c);
            CanvasForm& form = *CanvasWindowOf(canvas);
            form.Cls();
            BoxListDraw(c, SubRecord::Default);

            std::set<std::pair<int, int>> frames;
            for (const DrawRecord& r : form.Records())
                if (r.kind == DrawRecord::Kind::Rectangle)
                    frames.insert({r.p1.x() * 100000 + r.p1.y(), r.p2.x() * 100000 + r.p2.y()});

            QImage image(form.width(), form.height(), QImage::Format_RGB32);
            {
                QPainter painter(&image);
                form.Render(painter, image.rect());
            }
            const QRgb background = image.pixel(image.width() - 1, image.height() - 1);

            for (std::int16_t n : PaintedBoxes(canvas)) {
                const BoxRecord& b = canvas.BoxList[n];
                SCOPED_TRACE(n);
                if (b.tagAttr & TagAttribute::Frame) {
                    const std::pair<int, int> frame{b.xy.xw * 100000 + b.xy.yh,
                                                    (b.xy.xw + b.sizeP.xw) * 100000 + b.xy.yh + b.sizeP.yh};
                    EXPECT_EQ(frames.count(frame), 1u) << "a frame over the box's painted size";
                }
                if (b.tagType == TagId::Egg || b.tagType == TagId::Chink)
                    continue; // placeholders draw nothing of their own
                const int left = b.xy.xw / 15, top = b.xy.yh / 15;
                const int right = (b.xy.xw + b.sizeP.xw) / 15, bottom = (b.xy.yh + b.sizeP.yh) / 15;
                bool inked = false;
                for (int y = top; y <= bottom && !inked; ++y)
                    for (int x = left; x <= right && !inked; ++x)
                        inked = image.valid(x, y) && image.pixel(x, y) != background;
                EXPECT_TRUE(inked) << "box " << n << " of kind " << b.tagType << " at " << b.xy.xw << ", " << b.xy.yh;
                ++boxesChecked;
            }
        }
    }
    EXPECT_GT(boxesChecked, 10);
}

} // namespace
} // namespace paddraw_test
