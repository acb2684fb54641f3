// The main window's status bar: its panels and the clock.

#include "app/shell/BaseForm.h"

#include "platform/statusbar/StatusPanels.h"

#include <QDate>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

#include <utility>

namespace vellumora {

void BaseForm::createStatusBar()
{
    stbBaseForm = statusBar();
    stbBaseForm->setObjectName(QStringLiteral("stbBaseForm"));
    using platform::statusbar::LockKey;
    struct Panel {
        const char* key;
        int widthTwips;
        const char* tip;
        // A lock key's panel shows its name, lit while the key is on.
        const char* lockText = nullptr;
        LockKey lock = LockKey::Caps;
    };
    // Panels 1 to 5 keep themselves current; 6 to 11 are written by key.
    const Panel panels[] = {
        {"Date", 1799, "日付"},
        {"Time", 953, "時刻"},
        {"Caps", 979, "Caps Lock ｷｰ", "CAPS", LockKey::Caps},
        {"Num", 900, "Num Lock ｷｰ", "NUM", LockKey::Num},
        {"Kana", 873, "ｶﾅ ｷｰ", "ｶﾅ", LockKey::Kana},
        {"FocusCanvas", 882, "最前面ｳｨﾝﾄﾞｳ"},
        {"EditMode", 882, "編集ﾓｰﾄﾞ"},
        {"ModalWindow", 882, "入力ｳｲﾝﾄﾞｳ"},
        {"UnVisibleCanvas", 882, "非表示ｷｬﾝﾊﾞｽ"},
        {"SearchState", 882, "検索状態"},
        {"FontAndSize", 882, "ﾌｫﾝﾄ情報"},
    };
    panels_ = new platform::statusbar::StatusPanels(stbBaseForm);
    for (const Panel& p : panels) {
        const QString key = QString::fromLatin1(p.key);
        const QString tip = QString::fromUtf8(p.tip);
        if (p.lockText)
            panels_->AddLockPanel(key, Pixels(p.widthTwips), tip, QString::fromUtf8(p.lockText), p.lock);
        else
            panels_->AddPanel(key, Pixels(p.widthTwips), tip);
    }
    stbBaseForm->addPermanentWidget(panels_, 1);

    clock_ = new QTimer(this);
    clock_->setInterval(1000);
    auto tick = [this] {
        panels_->SetText(QStringLiteral("Date"), QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        panels_->SetText(QStringLiteral("Time"), QTime::currentTime().toString(QStringLiteral("HH:mm")));
    };
    connect(clock_, &QTimer::timeout, this, tick);
    tick();
    clock_->start();
}

void BaseForm::PanelTextSet(const QString& key, const QString& text)
{
    if (panelsHeld_ > 0)
        panelsPending_[key] = text;
    else
        panels_->SetText(key, text);
}

BaseForm::PanelTextsHeld::PanelTextsHeld(BaseForm* form) : form_(form)
{
    ++form_->panelsHeld_;
}

BaseForm::PanelTextsHeld::~PanelTextsHeld()
{
    if (--form_->panelsHeld_ > 0)
        return;
    for (const auto& [key, text] : std::exchange(form_->panelsPending_, {}))
        form_->panels_->SetText(key, text);
}

QString BaseForm::StatusPanelText(const QString& key) const
{
    if (auto pending = panelsPending_.find(key); pending != panelsPending_.end())
        return pending->second;
    return panels_->Text(key);
}

} // namespace vellumora
