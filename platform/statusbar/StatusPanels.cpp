#include "platform/statusbar/StatusPanels.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

#include <algorithm>

namespace platform::statusbar {

namespace {

constexpr int kGap = 2;       // pixels between two panels
constexpr int kPadding = 8;   // frame and margins of a panel around its text

// The entry of the panel with that key; null for an unknown key.
template <typename Entries>
auto EntryOf(Entries& entries, const QString& key) -> decltype(&*entries.begin())
{
    for (auto& e : entries)
        if (e.key == key)
            return &e;
    return nullptr;
}

} // namespace

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent)
{
    // The window may be made narrower than all panels together: they give way themselves.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void StatusPanels::AddPanel(const QString& key, int widthPixels, const QString& toolTip)
{
    auto* label = new QLabel(this);
    label->setObjectName(key);
    label->setToolTip(toolTip);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    entries_.push_back({key, widthPixels, QString(), label, std::nullopt});
    updateGeometry();
    arrange();
}

void StatusPanels::AddLockPanel(const QString& key, int widthPixels, const QString& toolTip, const QString& text,
                                LockKey lock)
{
    AddPanel(key, widthPixels, toolTip);
    entries_.back().lock = lock;
    SetText(key, text);
    if (!watchingLockKeys_) {
        watchingLockKeys_ = true;
        LockKeysWatch(this, [this] { lockPanelsShow(); });
    }
    lockPanelsShow();
}

void StatusPanels::lockPanelsShow()
{
    const std::optional<LockKeyStates> states = LockKeyStatesNow();
    for (const Entry& e : entries_) {
        if (!e.lock)
            continue;
        bool on = false;
        if (states) {
            switch (*e.lock) {
            case LockKey::Caps: on = states->caps; break;
            case LockKey::Num: on = states->num; break;
            case LockKey::Kana: on = states->kana; break;
            }
        }
        e.label->setEnabled(on);
    }
}

QString StatusPanels::Text(const QString& key) const
{
    const Entry* e = EntryOf(entries_, key);
    return e ? e->text : QString();
}

void StatusPanels::SetText(const QString& key, const QString& text)
{
    Entry* e = EntryOf(entries_, key);
    if (!e || e->text == text)
        return;
    e->text = text;
    updateGeometry();
    arrange();
}

QLabel* StatusPanels::Panel(const QString& key) const
{
    const Entry* e = EntryOf(entries_, key);
    return e ? e->label : nullptr;
}

int StatusPanels::preferredWidth(const Entry& entry) const
{
    return std::max(entry.width, entry.label->fontMetrics().horizontalAdvance(entry.text) + kPadding);
}

QSize StatusPanels::sizeHint() const
{
    int width = 0;
    for (const Entry& e : entries_)
        width += preferredWidth(e) + kGap;
    return QSize(width, fontMetrics().height() + kPadding);
}

QSize StatusPanels::minimumSizeHint() const
{
    return QSize(0, fontMetrics().height() + kPadding);
}

void StatusPanels::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrange();
}

bool StatusPanels::event(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        arrange();
    return QWidget::event(event);
}

void StatusPanels::arrange()
{
    const int available = width();
    // A panel is never narrower than its own width: only what a longer text widened it by gives
    // way, and past that panels are hidden.
    std::vector<int> preferred;
    std::vector<int> minimum;
    for (const Entry& e : entries_) {
        preferred.push_back(preferredWidth(e));
        minimum.push_back(e.width);
    }

    // Hide from the right until the narrowest form of the rest fits.
    std::size_t shown = entries_.size();
    auto sum = [&](const std::vector<int>& widths, std::size_t count) {
        int total = 0;
        for (std::size_t i = 0; i < count; ++i)
            total += widths[i] + kGap;
        return total;
    };
    while (shown > 0 && sum(minimum, shown) > available)
        --shown;

    // Widths: preferred where they fit, else each narrowed in proportion to what it can give.
    std::vector<int> widths(preferred.begin(), preferred.begin() + static_cast<std::ptrdiff_t>(shown));
    const int wanted = sum(preferred, shown);
    if (wanted > available) {
        const int least_total = sum(minimum, shown);
        const double share = wanted == least_total ? 0.0 : double(available - least_total) / double(wanted - least_total);
        for (std::size_t i = 0; i < shown; ++i)
            widths[i] = minimum[i] + int(double(preferred[i] - minimum[i]) * share);
    }

    // Laid out from the right edge, the last panel rightmost, like a status bar's own panels.
    int x = std::min(available, sum(widths, shown));
    x = available - x;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        Entry& e = entries_[i];
        if (i >= shown) {
            e.label->hide();
            continue;
        }
        e.label->setGeometry(x, 0, widths[i], height());
        const int room = std::max(0, widths[i] - kPadding);
        e.label->setText(e.label->fontMetrics().elidedText(e.text, Qt::ElideRight, room));
        e.label->show();
        x += widths[i] + kGap;
    }
}

} // namespace platform::statusbar
