#pragma once

// The panels of a status bar: text panels in a fixed order, each addressed by a key, with a width
// of its own and a tool tip. A panel is as wide as its text needs and never narrower than its own
// width. When there is no room for every whole text, the widened panels narrow (eliding their
// texts) down to their own widths, and when even that is not enough panels are hidden from the
// right. Panels never draw over one another.

#include "platform/statusbar/LockKeys.h"

#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;

namespace platform::statusbar {

enum class LockKey { Caps, Num, Kana };

class StatusPanels : public QWidget {
public:
    explicit StatusPanels(QWidget* parent = nullptr);

    // Adds a panel at the right end; widthPixels is its width while there is room.
    void AddPanel(const QString& key, int widthPixels, const QString& toolTip);
    // Adds a panel that keeps itself current: it shows text, bright while the lock key is on and
    // dimmed while it is off or the window system does not tell its state.
    void AddLockPanel(const QString& key, int widthPixels, const QString& toolTip, const QString& text, LockKey lock);

    // The whole text of a panel, however much of it shows; "" for an unknown key.
    QString Text(const QString& key) const;
    void SetText(const QString& key, const QString& text);

    // The panel's label, for tests and for looks; null for an unknown key.
    QLabel* Panel(const QString& key) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Entry {
        QString key;
        int width;
        QString text;
        QLabel* label;
        std::optional<LockKey> lock;
    };
    int preferredWidth(const Entry& entry) const;
    void arrange();
    void lockPanelsShow();

    bool watchingLockKeys_ = false;

    std::vector<Entry> entries_;
};

} // namespace platform::statusbar
