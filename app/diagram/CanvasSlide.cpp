#include "app/diagram/CanvasSlide.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSurface.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Value.h"

#include <QMdiSubWindow>
#include <QTimer>

#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace vellumora {

namespace {

constexpr std::int32_t Pixel = platform::vbrt::TwipsPerPixel;
// 100 twips of ramp split into nine increments.
constexpr std::array<std::int32_t, 10> Ramp = {0, 11, 22, 33, 44, 55, 66, 77, 88, 100};
constexpr std::int32_t Stride = 200;
constexpr std::int32_t StepDelay = 10;
// A slid box keeps this far from the workspace's edge.
constexpr std::int32_t EdgeMargin = 120;
const char* const SlideObjectName = "SlidePlayer";

std::int32_t FloorDiv(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(std::floor(static_cast<double>(a) / b));
}

std::vector<std::int32_t> AxisPath(std::int32_t s, std::int32_t e)
{
    const std::int32_t d = e - s;
    const std::int32_t sign = d < 0 ? -1 : 1;
    const std::int32_t distance = std::abs(d);
    std::vector<std::int32_t> path{s};
    std::size_t m = 0;
    for (std::size_t i = 1; i <= 9 && 2 * Ramp[i] + 100 <= distance; ++i) {
        path.push_back(s + sign * Ramp[i]);
        m = i;
    }
    std::int32_t rest = distance - 2 * Ramp[m];
    const std::int32_t strides = rest / Stride;
    for (std::int32_t j = 1; j <= strides - 1; ++j) {
        const std::int32_t step = rest / (strides + 1 - j);
        path.push_back(path.back() + sign * step);
        rest -= step;
    }
    for (std::size_t i = m + 1; i-- > 0;)
        path.push_back(e - sign * Ramp[i]);
    return path;
}

bool StepsByHand = false;

class SlidePlayer;
// The slides alive, in the order they started; those waiting for a hand are advanced in it.
std::vector<SlidePlayer*>& Players()
{
    static std::vector<SlidePlayer*> players;
    return players;
}

// One slide in progress: a child of the moving window, so it ends with the window.
class SlidePlayer : public QObject {
public:
    SlidePlayer(QWidget* window, std::vector<SlideStep> steps, std::function<void(std::int32_t, std::int32_t)> move,
                std::function<void()> then)
        : QObject(window), steps_(std::move(steps)), move_(std::move(move)), then_(std::move(then))
    {
        setObjectName(QLatin1String(SlideObjectName));
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, &SlidePlayer::Step);
        Players().push_back(this);
    }
    ~SlidePlayer() override { std::erase(Players(), this); }

    void Start() { Next(); }

    // A step waits for a hand, or for the timer.
    bool Waiting() const { return waiting_; }
    void Step()
    {
        waiting_ = false;
        timer_.stop();
        const SlideStep& step = steps_[next_++];
        move_(step.X, step.Y);
        Next();
    }
    void Resume()
    {
        if (waiting_)
            timer_.start(std::max<std::int32_t>(0, steps_[next_].Delay));
    }

private:
    void Next()
    {
        if (next_ >= steps_.size()) {
            // Finished: the follow-up runs after this player is gone, so it may start another slide.
            auto then = std::move(then_);
            std::erase(Players(), this);
            deleteLater();
            setObjectName(QString());
            if (then)
                then();
            return;
        }
        waiting_ = true;
        if (!StepsByHand)
            timer_.start(std::max<std::int32_t>(0, steps_[next_].Delay));
    }

    std::vector<SlideStep> steps_;
    std::function<void(std::int32_t, std::int32_t)> move_;
    std::function<void()> then_;
    std::size_t next_ = 0;
    bool waiting_ = false;
    QTimer timer_;
};

struct AxisView {
    std::int32_t windowPos;   // fL: the window's place in the workspace
    std::int32_t windowSize;  // fW: the window's outer size
    std::int32_t boxInWindow; // x2: the box from the window's outer corner
    std::int32_t boxSize;     // bw
    std::int32_t visible;     // W: the visible workspace
};

// The window position along one axis that brings the box into view, moving it as little as
// possible: of four candidates (box near the low edge twice, near the high edge, centred) the
// nearest to where the window is now.
std::int32_t AxisTarget(const AxisView& a)
{
    const std::int32_t boxPos = a.windowPos + a.boxInWindow;
    std::array<std::int32_t, 4> c{};
    c[0] = c[1] = EdgeMargin - a.boxInWindow;
    c[2] = a.visible - a.boxSize - EdgeMargin - a.boxInWindow;
    c[3] = FloorDiv(a.visible - a.boxSize, 2) - a.boxInWindow;
    for (std::int32_t& x : c) {
        if (x < a.visible - a.windowSize)
            x = a.visible - a.windowSize;
        if (x > 0)
            x = 0;
    }
    if (boxPos >= 0 && boxPos + a.boxSize <= a.visible)
        c[0] = a.windowPos;
    else if (a.boxInWindow + a.boxSize < a.visible)
        c[0] = 0;
    else if (a.boxSize >= a.visible)
        c[2] = c[3] = c[0];
    const std::int32_t half = FloorDiv(a.visible, 2);
    for (std::size_t k = 0; k < 3; ++k)
        if (std::abs(c[k] - a.windowPos) > half)
            c[k] = c[3];
    std::size_t best = 0;
    for (std::size_t k = 1; k < 4; ++k)
        if (std::abs(c[k] - a.windowPos) < std::abs(c[best] - a.windowPos))
            best = k;
    return c[best];
}

} // namespace

std::vector<SlideStep> SlidePathMake(const Point& start, const Point& target)
{
    const std::vector<std::int32_t> xs = AxisPath(start.xw, target.xw);
    const std::vector<std::int32_t> ys = AxisPath(start.yh, target.yh);
    const std::size_t count = std::max(xs.size(), ys.size()) - 1;
    std::vector<SlideStep> steps;
    steps.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        SlideStep step;
        step.X = k + 1 < xs.size() ? xs[k + 1] : target.xw;
        step.Y = k + 1 < ys.size() ? ys[k + 1] : target.yh;
        step.Delay = StepDelay;
        steps.push_back(step);
    }
    return steps;
}

void SlidePlay(QWidget* window, const std::vector<SlideStep>& steps,
               std::function<void(std::int32_t x, std::int32_t y)> move, std::function<void()> then)
{
    if (!window)
        return;
    for (QObject* running : window->findChildren<QObject*>(QLatin1String(SlideObjectName), Qt::FindDirectChildrenOnly))
        delete running;
    auto* player = new SlidePlayer(window, steps, std::move(move), std::move(then));
    player->Start();
}

bool SlideRunning(const QWidget* window)
{
    return window &&
           window->findChild<QObject*>(QLatin1String(SlideObjectName), Qt::FindDirectChildrenOnly) != nullptr;
}

void SlideStepsByHand(bool byHand)
{
    StepsByHand = byHand;
    if (!byHand)
        for (SlidePlayer* player : Players())
            player->Resume();
}

int SlidesAdvance()
{
    // A step may end its slide, start another or close a window: each player is looked up again
    // before it moves, and a slide started meanwhile waits for the next advance.
    std::vector<QPointer<SlidePlayer>> waiting;
    for (SlidePlayer* player : Players())
        if (player->Waiting())
            waiting.emplace_back(player);
    int moved = 0;
    for (const QPointer<SlidePlayer>& player : waiting)
        if (player && player->Waiting()) {
            player->Step();
            ++moved;
        }
    return moved;
}

void CanvasSlideToBox(std::int16_t canvas, std::int16_t box, std::function<void()> then)
{
    // A box that cannot be shown leaves no place behind: the rectangle of an earlier one would
    // send the search dialog out of the way of a box no longer on display.
    FoundBoxRect = {};
    if (canvas < 1 || static_cast<std::size_t>(canvas) >= B.size())
        return;
    CanvasSurface* form = B[static_cast<std::size_t>(canvas)].form;
    if (!form || !form->lblBox.IsLoaded(box))
        return;
    form->ZOrder();
    QWidget* frame = qobject_cast<QMdiSubWindow*>(form->parentWidget()) ? form->parentWidget() : form;
    QWidget* workspace = frame->parentWidget();

    const std::int32_t fL = form->Left();
    const std::int32_t fT = form->Top();
    const std::int32_t fW = frame->width() * Pixel;
    const std::int32_t fH = frame->height() * Pixel;
    // The frame's border and title lie between the window's outer corner and its drawing.
    const QPoint client = form->mapTo(frame, QPoint(0, 0)) * Pixel;
    const CanvasLabel& label = std::as_const(form->lblBox)[box];
    const std::int32_t x2 = label.Left + client.x();
    const std::int32_t y2 = label.Top + client.y();
    const std::int32_t x1 = fL + x2;
    const std::int32_t y1 = fT + y2;
    const std::int32_t bw = label.Width;
    const std::int32_t bh = static_cast<std::int32_t>(std::floor(1.4 * label.Height));
    const std::int32_t W = workspace ? workspace->width() * Pixel : fW;
    const std::int32_t H = workspace ? workspace->height() * Pixel : fH;
    const QPoint origin = (workspace ? workspace->mapToGlobal(QPoint(0, 0)) : QPoint(0, 0)) * Pixel;

    if (x1 >= 0 && x1 + bw <= W && y1 >= 0 && y1 + bh <= H) {
        FoundBoxRect = {origin.x() + x1, origin.y() + y1, bw, bh};
        if (then)
            then();
        return;
    }
    const std::int32_t tx = AxisTarget({fL, fW, x2, bw, W});
    const std::int32_t ty = AxisTarget({fT, fH, y2, bh, H});
    ScreenRect found;
    found.Left = origin.x() + tx + x2;
    found.Top = origin.y() + ty + y2;
    found.Width = std::min(bw, origin.x() + W - found.Left);
    found.Height = std::min(bh, origin.y() + H - found.Top);
    FoundBoxRect = found;

    QPointer<CanvasSurface> target(form);
    SlidePlay(frame, SlidePathMake(PointMake(fL, fT), PointMake(tx, ty)),
              [target](std::int32_t x, std::int32_t y) {
                  if (target)
                      target->Move(x, y);
              },
              std::move(then));
}

} // namespace vellumora
