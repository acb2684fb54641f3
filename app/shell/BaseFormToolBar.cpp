// The main window's tool bar: its buttons, the font controls and what they apply to.

#include "app/shell/BaseForm.h"

#include "app/canvas/CanvasForm.h"
#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/diagram/FontAndColor.h"
#include "app/print/PrintCanvas.h"
#include "app/core/EditState.h"
#include "app/core/Processing.h"

#include <QAction>
#include <QComboBox>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>

namespace vellumora {

namespace {

// A small picture for a tool-bar button: the button's letters drawn in the middle.
QIcon TextIcon(const QString& text, bool bold = false, bool italic = false, bool strike = false, bool under = false)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font = painter.font();
    font.setPixelSize(text.size() > 1 ? 11 : 16);
    font.setBold(bold);
    font.setItalic(italic);
    font.setStrikeOut(strike);
    font.setUnderline(under);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
    return QIcon(pixmap);
}

} // namespace

void BaseForm::createToolBar()
{
    tlbBaseForm = addToolBar(QStringLiteral("tlbBaseForm"));
    tlbBaseForm->setObjectName(QStringLiteral("tlbBaseForm"));
    tlbBaseForm->setMovable(false);
    tlbBaseForm->setFloatable(false);
    tlbBaseForm->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto button = [this](const QString& key, const QString& tip, const QIcon& icon, bool check = false) {
        QAction* a = tlbBaseForm->addAction(icon, tip);
        a->setToolTip(tip);
        a->setObjectName(key);
        a->setCheckable(check);
        if (check)
            connect(a, &QAction::triggered, this, [this, key](bool pressed) { StyleButtonClick(key, pressed); });
        else
            connect(a, &QAction::triggered, this, [this, key] { tlbBaseForm_ButtonClick(key); });
        toolButtons_[key] = a;
    };
    auto combo = [this](const QString& key, const QString& tip, int widthTwips) {
        auto* box = new QComboBox(tlbBaseForm);
        box->setObjectName(key == QLatin1String("Color") ? QStringLiteral("cmbColor") : QStringLiteral("cmb") + key);
        box->setToolTip(tip);
        box->setEditable(false);
        box->setFixedWidth(Pixels(widthTwips));
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(this);
        connect(box, &QComboBox::activated, this, [this, box] { ComboClick(box); });
        QAction* a = tlbBaseForm->addWidget(box);
        a->setObjectName(key);
        a->setToolTip(tip);
        toolButtons_[key] = a;
        return box;
    };

    // The desktop's picture where a standard one fits, else the kanji of the command.
    auto picture = [](const char* name, const QIcon& kanji) { return QIcon::fromTheme(QString::fromLatin1(name), kanji); };
    button(QStringLiteral("Open"), QStringLiteral("ﾌｧｲﾙを開く"), picture("document-open", TextIcon(QStringLiteral("開"))));
    button(QStringLiteral("Save"), QStringLiteral("上書き保存"), picture("document-save", TextIcon(QStringLiteral("保"))));
    tlbBaseForm->addSeparator();
    button(QStringLiteral("Preview"), QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"),
           picture("document-print-preview", TextIcon(QStringLiteral("覧"))));
    button(QStringLiteral("Print"), QStringLiteral("印刷"), picture("document-print", TextIcon(QStringLiteral("印"))));
    tlbBaseForm->addSeparator();
    button(QStringLiteral("Undo"), QStringLiteral("元に戻す"), picture("edit-undo", TextIcon(QStringLiteral("戻"))));
    button(QStringLiteral("Redo"), QStringLiteral("やり直し"), picture("edit-redo", TextIcon(QStringLiteral("進"))));
    tlbBaseForm->addSeparator();
    button(QStringLiteral("Cut"), QStringLiteral("切り取り"), picture("edit-cut", TextIcon(QStringLiteral("切"))));
    button(QStringLiteral("Copy"), QStringLiteral("ｺﾋﾟｰ"), picture("edit-copy", TextIcon(QStringLiteral("写"))));
    button(QStringLiteral("Paste"), QStringLiteral("貼り付け"), picture("edit-paste", TextIcon(QStringLiteral("貼"))));
    tlbBaseForm->addSeparator();
    button(QStringLiteral("Search"), QStringLiteral("検索"), picture("edit-find", TextIcon(QStringLiteral("検"))));
    button(QStringLiteral("Editor"), QStringLiteral("BOX編集"), TextIcon(QStringLiteral("編")));
    tlbBaseForm->addSeparator();
    cmbFontName = combo(QStringLiteral("FontName"), QStringLiteral("ﾌｫﾝﾄ名"), 3600);
    cmbFontSize = combo(QStringLiteral("FontSize"), QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ"), 720);
    button(QStringLiteral("Bold"), QStringLiteral("太字"), picture("format-text-bold", TextIcon(QStringLiteral("B"), true)),
           true);
    button(QStringLiteral("Italic"), QStringLiteral("斜体"),
           picture("format-text-italic", TextIcon(QStringLiteral("I"), false, true)), true);
    button(QStringLiteral("Strikethru"), QStringLiteral("取消線"),
           picture("format-text-strikethrough", TextIcon(QStringLiteral("S"), false, false, true)), true);
    button(QStringLiteral("Underline"), QStringLiteral("下線"),
           picture("format-text-underline", TextIcon(QStringLiteral("U"), false, false, false, true)), true);
    tlbBaseForm->addSeparator();
    cmbColor = combo(QStringLiteral("Color"), QStringLiteral("文字色"), 1080);
}

QAction* BaseForm::ToolButton(const QString& key) const
{
    auto it = toolButtons_.find(key);
    return it == toolButtons_.end() ? nullptr : it->second;
}

void BaseForm::ToolBarArrange()
{
    auto enable = [this](const char* key, bool on) { toolButtons_[QString::fromLatin1(key)]->setEnabled(on); };
    const char* const selectionKeys[] = {"Preview", "Print", "Cut", "Copy", "Paste", "Editor"};
    const char* const fontKeys[] = {"FontName", "FontSize", "Bold", "Italic", "Strikethru", "Underline", "Color"};

    enable("Open", true);
    enable("Save", !DocumentSavePath(CurrentDocument).isEmpty());
    enable("Undo", HistoryCanUndo());
    enable("Redo", HistoryCanRedo());

    QWidget* active = ActiveForm();
    CanvasForm* canvas = AsCanvas(active);
    fontCanvas_ = nullptr;
    if (!canvas) {
        for (const char* key : selectionKeys)
            enable(key, false);
        for (const char* key : fontKeys)
            enable(key, false);
        enable("Search", active ? true : DocumentOpened());
        return;
    }

    enable("Preview", true);
    enable("Print", true);
    enable("Search", true);
    const FontCode fontCode = canvas->LockPartsFontCode;
    const std::int32_t colorCode = canvas->LockPartsColorCode;
    enable("Cut", canvas->LockPartsCopyEnabled);
    enable("Copy", canvas->LockPartsCopyEnabled);
    // Paste goes onto a line, and the editor opens on a single box: the same rules as the
    // Edit menu's.
    enable("Paste", canvas->LockPartsKind >= 2 && canvas->LockPartsEditorEnabled && ClipboardExist());
    enable("Editor", canvas->LockPartsKind == 1 && canvas->LockPartsEditorEnabled);
    const bool fontEnabled = canvas->LockPartsKind == 1 && canvas->LockPartsFontEnabled;
    for (const char* key : fontKeys)
        enable(key, fontEnabled);
    if (!fontEnabled)
        return;

    fontCanvas_ = canvas;
    const std::int16_t nameIndex = FontNameIndex(fontCode);
    const std::int16_t size10 = FontSizeIndex(fontCode);
    ToolbarFontState.ToolbarFontName = nameIndex == 0 ? QStringLiteral("標準") : FontNameText(nameIndex);
    ToolbarFontState.ToolbarFontSize = size10 == 0 ? QStringLiteral("標準") : QString::number(FontSizeValue(size10));
    ToolbarFontState.ToolbarFontBold = FontBoldFlag(fontCode);
    ToolbarFontState.ToolbarFontItalic = FontItalicFlag(fontCode);
    ToolbarFontState.ToolbarFontStrikethru = FontStrikethruFlag(fontCode);
    ToolbarFontState.ToolbarFontUnderline = FontUnderlineFlag(fontCode);
    ToolbarFontState.ToolbarColorName = BoxColorName(colorCode);

    ComboEventSkip = true;
    FontNameComboSet(cmbFontName, true, ToolbarFontState.ToolbarFontName);
    FontSizeComboSet(cmbFontSize, true, ToolbarFontState.ToolbarFontSize);
    toolButtons_[QStringLiteral("Bold")]->setChecked(ToolbarFontState.ToolbarFontBold);
    toolButtons_[QStringLiteral("Italic")]->setChecked(ToolbarFontState.ToolbarFontItalic);
    toolButtons_[QStringLiteral("Strikethru")]->setChecked(ToolbarFontState.ToolbarFontStrikethru);
    toolButtons_[QStringLiteral("Underline")]->setChecked(ToolbarFontState.ToolbarFontUnderline);
    ColorComboSet(cmbColor, true, ToolbarFontState.ToolbarColorName);
    ComboEventSkip = false;
}

CanvasForm* BaseForm::FontTarget() const
{
    // The font controls describe one canvas window's selection; they apply to that window only.
    CanvasForm* canvas = fontCanvas_.data();
    if (!canvas || !canvas->LockPartsFontEnabled || canvas->LockPartsKind != 1)
        return nullptr;
    return canvas;
}

void BaseForm::FocusActiveForm()
{
    if (QWidget* active = ActiveForm())
        active->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void BaseForm::tlbBaseForm_ButtonClick(const QString& key)
{
    if (key == QLatin1String("Open"))
        Menu_FileOpen_Click();
    else if (key == QLatin1String("Save"))
        Menu_FileSaveOverWrite_Click();
    else if (key == QLatin1String("Undo"))
        Menu_EditUndo_Click();
    else if (key == QLatin1String("Redo"))
        Menu_EditRedo_Click();
    else if (key == QLatin1String("Search"))
        Menu_EditSearch_Click();
    else if (key == QLatin1String("Preview") || key == QLatin1String("Print")) {
        Command(false, true, [&] {
            PrintCanvas dialog(this);
            dialog.TrayCaption = MenuCaption(Menu_FilePrint);
            dialog.TrayCommandOperation = key == QLatin1String("Preview") ? QStringLiteral("/V") : QStringLiteral("/P");
            dialog.ShowModal();
        });
    } else if (CanvasForm* canvas = AsCanvas(ActiveForm())) {
        Guarded([&] {
            if (key == QLatin1String("Cut"))
                canvas->Menu_EditCut_Click();
            else if (key == QLatin1String("Copy"))
                canvas->Menu_EditCopy_Click();
            else if (key == QLatin1String("Paste"))
                canvas->Menu_EditPaste_Click();
            else if (key == QLatin1String("Editor"))
                canvas->Menu_EditEditor_Click();
        });
    }
    Guarded([] { PartsLockSet(-1, true); });
    ToolBarArrange();
}

void BaseForm::StyleButtonClick(const QString& key, bool pressed)
{
    if (key == QLatin1String("Bold"))
        ToolbarFontState.ToolbarFontBold = pressed;
    else if (key == QLatin1String("Italic"))
        ToolbarFontState.ToolbarFontItalic = pressed;
    else if (key == QLatin1String("Strikethru"))
        ToolbarFontState.ToolbarFontStrikethru = pressed;
    else if (key == QLatin1String("Underline"))
        ToolbarFontState.ToolbarFontUnderline = pressed;
    Guarded([&] {
        if (CanvasForm* canvas = FontTarget()) {
            canvas->FontSettingMenuSkip = true;
            canvas->Menu_BoxFontChange_Click();
        }
        PartsLockSet(-1, true);
    });
    ToolBarArrange();
}

QString& BaseForm::ComboVariable(QComboBox* combo)
{
    if (combo == cmbFontName)
        return ToolbarFontState.ToolbarFontName;
    if (combo == cmbFontSize)
        return ToolbarFontState.ToolbarFontSize;
    return ToolbarFontState.ToolbarColorName;
}

void BaseForm::ComboClick(QComboBox* combo)
{
    if (ComboEventSkip)
        return;
    // Leaving the combo applies the choice.
    FocusActiveForm();
}

bool BaseForm::ComboKeyDown(QComboBox* combo, int keyCode)
{
    switch (keyCode) {
    case Qt::Key_Escape: {
        ComboEventSkip = true;
        const int index = combo->findText(ComboVariable(combo), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0)
            combo->setCurrentIndex(index);
        FocusActiveForm();
        return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Moving through the list applies nothing yet.
        ComboEventSkip = true;
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        FocusActiveForm();
        return true;
    default:
        return false;
    }
}

void BaseForm::ComboLostFocus(QComboBox* combo)
{
    if (ComboEventSkip) {
        ComboEventSkip = false;
        return;
    }
    const QString text = combo->currentText();
    CanvasForm* canvas = FontTarget();
    // An empty entry names no font or colour, and an unchanged one changes nothing.
    if (!canvas || text.isEmpty() || text == ComboVariable(combo)) {
        ComboEventSkip = false;
        return;
    }
    ComboVariable(combo) = text;
    Guarded([&] {
        canvas->FontSettingMenuSkip = true;
        canvas->Menu_BoxFontChange_Click();
    });
    ComboEventSkip = false;
}

} // namespace vellumora
