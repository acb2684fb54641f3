#include "app/dialogs/SearchReplace.h"

#include "app/diagram/CanvasSlide.h"
#include "app/dialogs/OneLineField.h"
#include "app/dialogs/ZoomScreen.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSurface.h"
#include "app/core/EditState.h"
#include "app/core/MainWindowLink.h"
#include "app/core/ProgramLink.h"
#include "app/diagram/CanvasOrder.h"
#include "app/diagram/HistorySnapshots.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/TagTable.h"
#include "app/diagram/SearchEngine.h"
#include "platform/codepage/CodePage.h"
#include "platform/vbrt/Value.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace vellumora {

namespace {

constexpr qsizetype HistoryLimit = 51;
constexpr std::int32_t StepAside = 360; // twips between the dialog and the found box
const QString SearchEnded = QStringLiteral("検索が終了しました。");

int Twips(int pixels)
{
    return pixels * platform::vbrt::TwipsPerPixel;
}

int Pixels(int twips)
{
    return twips / platform::vbrt::TwipsPerPixel;
}

// The text leads the history, followed by the list's entries without it, at most 51 in all; the
// list then shows the history and keeps the text. True when the text was added.
bool HistoryListAdd(QComboBox* list, QStringList& history)
{
    bool changed = false;
    const QString text = list->currentText();
    if (!text.isEmpty()) {
        QStringList made{text};
        for (int i = 0; i < list->count() && made.size() < HistoryLimit; ++i)
            if (list->itemText(i) != text)
                made << list->itemText(i);
        history = made;
        changed = true;
    }
    list->clear();
    list->addItems(history.mid(0, HistoryLimit));
    // Filling an empty list makes its first entry current, whose text would take the place of
    // the one typed: an emptied text would search or replace with the last one used.
    list->setCurrentIndex(-1);
    list->setEditText(text);
    return changed;
}

// The main window takes the lead back as the dialog closes; with redraw every canvas is laid
// out again.
void MainWindowTakesLead(bool redraw)
{
    if (MainWindowLink* main = MainWindow())
        main->searchReplaceClosed(redraw);
}

} // namespace

std::optional<QPoint> DialogPlaceTarget(const QRect& dialog, const QRect& box, const QSize& screen)
{
    const std::int64_t dl = dialog.x(), dt = dialog.y(), dw = dialog.width(), dh = dialog.height();
    const std::int64_t bx = box.x(), by = box.y(), bw = box.width(), bh = box.height();
    const std::int64_t sw = screen.width(), sh = screen.height();
    if (bx - StepAside > dl + dw || bx + bw + StepAside < dl || by - StepAside > dt + dh || by + bh + StepAside < dt)
        return std::nullopt;

    struct Candidate {
        std::int64_t x;
        std::int64_t y;
        bool allowed;
    };
    const std::int64_t cornerX = std::llabs(bx - (dl + dw)) < std::llabs(bx + bw - dl) ? 0 : sw - dw;
    const std::int64_t cornerY = std::llabs(by - (dt + dh)) < std::llabs(by + bh - dt) ? 0 : sh - dh;
    const std::array<std::array<Candidate, 4>, 3> groups{{
        {{{bx - StepAside - dw, dt, dw < bx - StepAside},
          {bx + bw + StepAside, dt, dw < sw - (bx + bw) - StepAside},
          {dl, by - StepAside - dh, dh < by - StepAside},
          {dl, by + bh + StepAside, dh < sh - (by + bh) - StepAside}}},
        {{{0, dt, dw < bx}, {sw - dw, dt, dw < sw - (bx + bw)}, {dl, 0, dh < by}, {dl, sh - dh, dh < sh - (by + bh)}}},
        {{{cornerX, cornerY, true}, {0, 0, false}, {0, 0, false}, {0, 0, false}}},
    }};
    for (const auto& group : groups) {
        const auto distance = [&](const Candidate& c) {
            const double dx = static_cast<double>(c.x - dl);
            const double dy = static_cast<double>(c.y - dt);
            return static_cast<std::int64_t>(std::floor(std::sqrt(dx * dx + dy * dy)));
        };
        std::int64_t best = std::max(sw, sh);
        for (const Candidate& c : group)
            if (c.allowed)
                best = std::min(best, distance(c));
        for (const Candidate& c : group)
            if (c.allowed && distance(c) == best)
                return QPoint(static_cast<int>(c.x), static_cast<int>(c.y));
    }
    return std::nullopt;
}

std::optional<QPoint> DialogPlaceTarget(const QRect& dialog, const QRect& box, const QRect& screen)
{
    const QPoint origin = screen.topLeft();
    const std::optional<QPoint> target =
        DialogPlaceTarget(dialog.translated(-origin), box.translated(-origin), screen.size());
    return target ? std::optional<QPoint>(*target + origin) : std::nullopt;
}

SearchReplace::SearchReplace(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SearchReplace"));
    setAttribute(Qt::WA_DeleteOnClose);

    const auto label = [this](QLabel*& member, const char* name, const QString& caption) {
        member = new QLabel(caption, this);
        member->setObjectName(QLatin1String(name));
    };
    const auto textList = [this](QComboBox*& member, const char* name) {
        member = new QComboBox(this);
        member->setObjectName(QLatin1String(name));
        member->setEditable(true);
        OneLineFieldSet(member);
        member->setInsertPolicy(QComboBox::NoInsert);
        member->setMinimumWidth(Pixels(4200));
        member->installEventFilter(this);
    };
    const auto button = [this](QPushButton*& member, const char* name, const QString& caption) {
        member = new QPushButton(caption, this);
        member->setObjectName(QLatin1String(name));
        member->setAutoDefault(false);
    };
    const auto check = [this](QCheckBox*& member, const char* name, const QString& caption) {
        member = new QCheckBox(caption, this);
        member->setObjectName(QLatin1String(name));
    };

    label(lblSearchText, "lblSearchText", QStringLiteral("検索文字列(&F)"));
    textList(cmbSearchText, "cmbSearchText");
    lblSearchText->setBuddy(cmbSearchText);
    label(lblReplaceText, "lblReplaceText", QStringLiteral("置換文字列(&E)"));
    textList(cmbReplaceText, "cmbReplaceText");
    lblReplaceText->setBuddy(cmbReplaceText);
    for (int i = 0; i < 2; ++i) {
        button(cmdZoom[static_cast<std::size_t>(i)], i == 0 ? "cmdZoom0" : "cmdZoom1", QStringLiteral("ｽﾞｰﾑ(&Z)"));
        connect(cmdZoom[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { cmdZoom_Click(i); });
    }
    label(lblSearchMode, "lblSearchMode", QStringLiteral("検索方法"));
    check(chkMatchWord, "chkMatchWord", QStringLiteral("完全に一致する単語(&C)"));
    check(chkLetterSize, "chkLetterSize", QStringLiteral("大文字と小文字を区別する(&S)"));
    check(chkPatternMatching, "chkPatternMatching", QStringLiteral("ﾊﾟﾀｰﾝﾏｯﾁﾝｸﾞを使用する(&P)"));
    label(lblBoxType, "lblBoxType", QStringLiteral("BOX指定(&X)"));
    cmbBoxType = new QComboBox(this);
    cmbBoxType->setObjectName(QStringLiteral("cmbBoxType"));
    lblBoxType->setBuddy(cmbBoxType);
    label(lblSearchRange, "lblSearchRange", QStringLiteral("検索範囲(&V)"));
    frmSearchRange = new QFrame(this);
    frmSearchRange->setObjectName(QStringLiteral("frmSearchRange"));
    auto* rangeLayout = new QVBoxLayout(frmSearchRange);
    const std::array<QString, 3> ranges = {QStringLiteral("全ｷｬﾝﾊﾞｽ"), QStringLiteral("非表示を除く全ｷｬﾝﾊﾞｽ"),
                                           QStringLiteral("最前面のｷｬﾝﾊﾞｽ")};
    for (int i = 0; i < 3; ++i) {
        QRadioButton*& option = optSearchRange[static_cast<std::size_t>(i)];
        option = new QRadioButton(ranges[static_cast<std::size_t>(i)], frmSearchRange);
        option->setObjectName(QStringLiteral("optSearchRange%1").arg(i));
        rangeLayout->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this, i] { optSearchRange_Click(i); });
    }
    lblSearchRange->setBuddy(optSearchRange[0]);
    button(cmdSearch, "cmdSearch", QStringLiteral("次を検索(&N)"));
    button(cmdReplace, "cmdReplace", QStringLiteral("置換(&R)"));
    button(cmdReplaceAll, "cmdReplaceAll", QStringLiteral("全て置換(&A)"));
    button(cmdReset, "cmdReset", QStringLiteral("ﾘｾｯﾄ(&T)"));
    button(cmdCancel, "cmdCancel", QStringLiteral("取消"));
    cmdSearch->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(lblSearchText, 0, 0);
    grid->addWidget(cmbSearchText, 0, 1);
    grid->addWidget(cmdZoom[0], 0, 2);
    grid->addWidget(lblReplaceText, 1, 0);
    grid->addWidget(cmbReplaceText, 1, 1);
    grid->addWidget(cmdZoom[1], 1, 2);
    grid->addWidget(lblSearchMode, 2, 0, Qt::AlignTop);
    auto* modes = new QVBoxLayout;
    modes->addWidget(chkMatchWord);
    modes->addWidget(chkLetterSize);
    modes->addWidget(chkPatternMatching);
    grid->addLayout(modes, 2, 1);
    grid->addWidget(lblBoxType, 3, 0);
    grid->addWidget(cmbBoxType, 3, 1);
    grid->addWidget(lblSearchRange, 4, 0, Qt::AlignTop);
    grid->addWidget(frmSearchRange, 4, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdSearch, cmdReplace, cmdReplaceAll, cmdReset, cmdCancel})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(buttons);

    connect(cmdSearch, &QPushButton::clicked, this, &SearchReplace::cmdSearch_Click);
    connect(cmdReplace, &QPushButton::clicked, this, &SearchReplace::cmdReplace_Click);
    connect(cmdReplaceAll, &QPushButton::clicked, this, &SearchReplace::cmdReplaceAll_Click);
    connect(cmdReset, &QPushButton::clicked, this, &SearchReplace::cmdReset_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &SearchReplace::cmdCancel_Click);
}

void SearchReplace::ShowModeless()
{
    Form_Load();
    show();
    raise();
    activateWindow();
}

void SearchReplace::Form_Load()
{
    const SearchSettingsRecord& settings = ApplicationGlobals.SearchSettings;
    replaced_ = false;
    chosenRange_ = settings.SearchRange;
    FormControlsClear(this, true);

    cmbSearchText->clear();
    cmbSearchText->addItems(settings.SearchHistory);
    cmbSearchText->setCurrentIndex(SearchFound() ? static_cast<int>(settings.SearchHistory.indexOf(settings.SearchText)) : -1);

    cmbReplaceText->clear();
    cmbReplaceText->addItems(settings.ReplaceHistory);
    cmbReplaceText->setCurrentIndex(TrayReplace && cmbReplaceText->count() > 0 ? 0 : -1);

    replaceControlsEnable(TrayReplace);

    cmbBoxType->clear();
    cmbBoxType->addItem(QString(), 0);
    for (std::int32_t id = 1; id <= TagId::Last; ++id) {
        const TagTableRecord row = TagTableGet(id);
        if ((row.flags & TagAttribute::BlockTag) && !(row.flags & TagAttribute::TextUnnecessary))
            cmbBoxType->addItem(row.boxName, id);
    }
    cmbBoxType->setCurrentIndex(std::max(0, cmbBoxType->findData(settings.SearchBoxKind)));

    const std::int16_t range = settings.SearchRange >= 0 && settings.SearchRange <= 2 ? settings.SearchRange : 0;
    optSearchRange[static_cast<std::size_t>(range)]->setChecked(true);
    optSearchRange_Click(range);
    chkMatchWord->setChecked(settings.SearchMatchWord);
    chkLetterSize->setChecked(settings.SearchLetterCase);
    chkPatternMatching->setChecked(settings.SearchPatternMatching);
}

void SearchReplace::Form_Activate()
{
    // An activation that reaches the dialog after it was unloaded must not claim the caption and
    // the dialog panel again, nor end the busy state of whatever runs now.
    if (unloaded_)
        return;
    ProcessingEnd(this);
    CaptionRefresh();
}

void SearchReplace::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    ProcessingStart(this);
    MainWindowTakesLead(replaced_);
    ModalWindowShow(QString());
}

bool SearchReplace::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

bool SearchReplace::eventFilter(QObject* watched, QEvent* event)
{
    // A text list loses the focus to its own drop-down list without being left.
    if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        if (watched == cmbSearchText)
            textListLostFocus(cmbSearchText);
        else if (watched == cmbReplaceText)
            textListLostFocus(cmbReplaceText);
    }
    return QDialog::eventFilter(watched, event);
}

void SearchReplace::textListLostFocus(QComboBox* list)
{
    SearchSettingsRecord& settings = ApplicationGlobals.SearchSettings;
    QStringList& history = list == cmbSearchText ? settings.SearchHistory : settings.ReplaceHistory;
    if (HistoryListAdd(list, history))
        list->setCurrentIndex(list->count() > 0 ? 0 : -1);
}

void SearchReplace::keyPressEvent(QKeyEvent* event)
{
    if (DialogKeyTaken(event, this))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void SearchReplace::closeEvent(QCloseEvent* event)
{
    // Every way out closes the dialog; the dialog's own close handling would turn it into a
    // rejection that comes back here.
    Form_Unload();
    event->accept();
}

void SearchReplace::reject()
{
    cmdCancel_Click();
}

void SearchReplace::replaceControlsEnable(bool on)
{
    lblReplaceText->setEnabled(on);
    cmbReplaceText->setEnabled(on);
    cmdZoom[1]->setEnabled(on);
    cmdReplaceAll->setEnabled(on);
}

void SearchReplace::CaptionRefresh()
{
    const QString caption = cmbReplaceText->isEnabled() ? QStringLiteral("置換") : QStringLiteral("検索");
    setWindowTitle(caption);
    ModalWindowShow(caption);
}

bool SearchReplace::SearchTextCheck()
{
    if (platform::vbrt::Trim(cmbSearchText->currentText()).isEmpty()) {
        ErrorMessageBox(MenuCaptionClean(lblSearchText->text()) + QStringLiteral("を指定して下さい。"));
        ProcessingEnd(this);
        cmbSearchText->setFocus();
        refusedField_ = cmbSearchText;
        return true;
    }
    return SavableTextCheck(cmbSearchText, lblSearchText);
}

bool SearchReplace::ReplaceTextCheck()
{
    return SavableTextCheck(cmbReplaceText, lblReplaceText);
}

// Box texts are saved as Shift_JIS: a text with a character it has no form for could never be
// found in a document, and put into one it would make the document unsavable. Such a text is
// refused before anything is searched or replaced.
bool SearchReplace::SavableTextCheck(QComboBox* list, QLabel* label)
{
    if (platform::codepage::CanEncode(list->currentText()))
        return false;
    ErrorMessageBox(MenuCaptionClean(label->text()) + QStringLiteral("に Shift_JIS で表せない文字があります。"));
    ProcessingEnd(this);
    list->setFocus();
    refusedField_ = list;
    return true;
}

bool SearchReplace::ConditionCheck()
{
    const SearchSettingsRecord& settings = ApplicationGlobals.SearchSettings;
    const bool changed = cmbSearchText->currentText() != settings.SearchText || chosenRange_ != settings.SearchRange ||
                         cmbBoxType->currentData().toInt() != settings.SearchBoxKind ||
                         chkMatchWord->isChecked() != settings.SearchMatchWord ||
                         chkLetterSize->isChecked() != settings.SearchLetterCase ||
                         chkPatternMatching->isChecked() != settings.SearchPatternMatching;
    if (changed) {
        // The match on display goes with the search it belonged to.
        SearchHighlightHide(false);
        SearchReset();
    }
    return SearchFound();
}

void SearchReplace::OptionStore()
{
    SearchSettingsRecord& settings = ApplicationGlobals.SearchSettings;
    settings.SearchText = cmbSearchText->currentText();
    settings.SearchRange = chosenRange_;
    settings.SearchBoxKind = cmbBoxType->currentData().toInt();
    settings.SearchMatchWord = chkMatchWord->isChecked();
    settings.SearchLetterCase = chkLetterSize->isChecked();
    settings.SearchPatternMatching = chkPatternMatching->isChecked();
}

void SearchReplace::DialogPlace()
{
    const ScreenRect found = FoundBoxRect;
    if (found.Width <= 0 || found.Height <= 0)
        return;
    const QRect frame = frameGeometry();
    // A slide still under way is judged from where it ends: a found box it already clears keeps it
    // going, one it would come to rest on turns it elsewhere.
    const QPoint from = slideTarget_.value_or(QPoint(Twips(frame.x()), Twips(frame.y())));
    const QRect dialog(from.x(), from.y(), Twips(frame.width()), Twips(frame.height()));
    const QRect area = screen() ? screen()->geometry() : QRect();
    const std::optional<QPoint> target =
        DialogPlaceTarget(dialog, QRect(found.Left, found.Top, found.Width, found.Height),
                          QRect(Twips(area.x()), Twips(area.y()), Twips(area.width()), Twips(area.height())));
    if (target)
        DialogMove(*target);
}

// The dialog slides out of the found box's way in eased steps; the search goes on meanwhile.
void SearchReplace::DialogMove(const QPoint& target)
{
    const QRect frame = frameGeometry();
    slideTarget_ = target;
    // The slide belongs to this dialog and ends with it.
    SlidePlay(
        this, SlidePathMake(PointMake(Twips(frame.x()), Twips(frame.y())), PointMake(target.x(), target.y())),
        [this](std::int32_t x, std::int32_t y) { move(Pixels(x), Pixels(y)); }, [this] { slideTarget_.reset(); });
}

// After a command the focus goes back to its button, or stays in the field whose text was refused.
void SearchReplace::FocusAfter(QWidget* button)
{
    QWidget* field = refusedField_;
    refusedField_ = nullptr;
    (field ? field : button)->setFocus();
}

void SearchReplace::searchEnded(std::int16_t shownCanvas)
{
    ProcessingEnd(this);
    // The canvas of the last match shown is on the screen as it now stands (the text replaced, or
    // no longer under the overlay) before the message says that the search is over.
    if (shownCanvas >= 1 && static_cast<std::size_t>(shownCanvas) < B.size())
        if (CanvasSurface* canvas = B[static_cast<std::size_t>(shownCanvas)].form)
            canvas->repaint();
    InformationMessageBox(SearchEnded);
    SearchReset();
    CaptionRefresh();
}

void SearchReplace::cmdSearch_Click()
{
    cmdSearch->setFocus();
    RunCommand(this, [&] {
        if (SearchTextCheck())
            return;
        const std::int16_t shownCanvas = Search.SearchCurrentMatch.Canvas;
        // The search under way goes on; changed conditions start a new one.
        bool searching = ConditionCheck();
        if (!searching) {
            OptionStore();
            PartsLockSet(0, true);
            searching = SearchExecute();
        }
        if (searching) {
            SearchNextShow();
            DialogPlace();
            raise();
        }
        if (!SearchFound())
            searchEnded(shownCanvas);
    });
    FocusAfter(cmdSearch);
}

void SearchReplace::cmdReplace_Click()
{
    const bool replaceMode = cmbReplaceText->isEnabled();
    if (!replaceMode) {
        RunCommand(this, [&] {
            if (Program().BoxEditorCloseCheck(true, -1))
                return;
            // A replacement made before Reset left replace mode still waits for the redraw at close.
            replaceControlsEnable(true);
            CaptionRefresh();
        });
        if (cmbReplaceText->isEnabled())
            cmbReplaceText->setFocus();
        return;
    }
    cmdReplace->setFocus();
    RunCommand(this, [&] {
        if (SearchFound()) {
            if (ReplaceTextCheck())
                return;
            ApplicationGlobals.SearchSettings.ReplaceText = cmbReplaceText->currentText();
            SetModifyFlag(true);
            HistoryAdd(MenuCaptionClean(cmdReplace->text()), SearchCurrentCanvas());
            const std::int16_t shownCanvas = Search.SearchCurrentMatch.Canvas;
            ReplaceCurrent();
            replaced_ = true;
            SearchNextShow();
            DialogPlace();
            raise();
            if (!SearchFound())
                searchEnded(shownCanvas);
        } else if (!SearchTextCheck()) {
            InformationMessageBox(QStringLiteral("先に検索を行って下さい。"));
        }
    });
    FocusAfter(cmdReplace);
}

void SearchReplace::cmdReplaceAll_Click()
{
    cmdReplaceAll->setFocus();
    RunCommand(this, [&] {
        if (SearchTextCheck() || ReplaceTextCheck())
            return;
        if (!ConditionCheck()) {
            OptionStore();
            SearchExecute();
        }
        ApplicationGlobals.SearchSettings.ReplaceText = cmbReplaceText->currentText();
        SearchNextShow(false);
        if (!SearchFound())
            return; // nothing to replace: no undo step, the document stays unmodified
        SetModifyFlag(true);
        HistoryAdd(MenuCaptionClean(cmdReplaceAll->text()), -1);
        do {
            ReplaceCurrent();
            replaced_ = true;
            SearchNextShow(false);
        } while (SearchFound());
        // Laying every canvas out again keeps the canvas windows in their order. Restoring it hands
        // input back to the main window, which stays with this dialog until the dialog closes.
        QWidget* main = MainWindow() ? MainWindow()->window() : nullptr;
        const bool mainEnabled = FormEnabled(main);
        CanvasesRefreshInOrder();
        if (main && !mainEnabled)
            FormEnable(main, false);
        raise();
    });
    // The search has run out: the title no longer says one is under way.
    if (!SearchFound())
        CaptionRefresh();
    FocusAfter(cmdReplaceAll);
}

void SearchReplace::cmdReset_Click()
{
    RunCommand(this, [&] {
        SearchHighlightHide(false);
        PartsLockSet(0, true);
        SearchReset();
        cmbSearchText->setCurrentIndex(-1);
        cmbSearchText->clearEditText();
        cmbReplaceText->setCurrentIndex(-1);
        cmbReplaceText->clearEditText();
        cmbBoxType->setCurrentIndex(0);
        const SearchSettingsRecord& defaults = SearchSettingsRecord::Default;
        optSearchRange[static_cast<std::size_t>(defaults.SearchRange)]->setChecked(true);
        optSearchRange_Click(defaults.SearchRange);
        chkMatchWord->setChecked(defaults.SearchMatchWord);
        chkLetterSize->setChecked(defaults.SearchLetterCase);
        chkPatternMatching->setChecked(defaults.SearchPatternMatching);
        replaceControlsEnable(TrayReplace);
    });
    CaptionRefresh();
    cmbSearchText->setFocus();
}

void SearchReplace::cmdZoom_Click(int index)
{
    RunCommand(this, [&] {
        QComboBox* list = index == 0 ? cmbSearchText : cmbReplaceText;
        QLabel* label = index == 0 ? lblSearchText : lblReplaceText;
        QString text = list->currentText();
        if (ZoomTextEdit(this, windowTitle() + QLatin1Char(':') + label->text(), text, 0, 50, 1) &&
            text != list->currentText())
            list->setEditText(text);
        ModalWindowShow(windowTitle());
    });
}

void SearchReplace::cmdCancel_Click()
{
    cmdCancel->setFocus();
    ProcessingStart(this);
    close();
}

void SearchReplace::optSearchRange_Click(int index)
{
    chosenRange_ = static_cast<std::int16_t>(index);
}

} // namespace vellumora
