// The box editor's free-style frame: the preview, the panel of frame buttons and its values.

#include "app/dialogs/BoxEditor.h"

#include "app/core/Processing.h"

#include "platform/graphics/DrawingTarget.h"

#include <QApplication>

#include <QGridLayout>

#include <QGroupBox>

#include <QLabel>

#include <QPainter>

#include <QPushButton>

#include <algorithm>

namespace vellumora {

namespace {

const QString CrLf = QStringLiteral("\r\n");

// Tags of the nine frame buttons: the free-style attribute each one cycles.
const char* const kFreeStyleTags[9] = {"LeftUpperCorner", "LeftLowerCorner", "RightUpperCorner",
                                       "RightLowerCorner", "LeftLine",        "RightLine",
                                       "UpperLine",        "LowerLine",       "Overlap"};

// The colour values of the system colours of a button's shadow (an attribute that is on) and of its face.

std::int32_t SystemColor(QPalette::ColorRole role)

{

    return platform::graphics::FromQColor(QApplication::palette().color(role));

}

void BackColorSet(QWidget* widget, std::int32_t color)

{

    QPalette palette = widget->palette();

    palette.setColor(QPalette::Button, platform::graphics::ToQColor(color));

    palette.setColor(QPalette::Window, platform::graphics::ToQColor(color));

    widget->setPalette(palette);

    widget->setAutoFillBackground(true);

}

} // namespace

FreeStylePreview::FreeStylePreview(QWidget* parent) : QWidget(parent)
{
    setFixedSize(96, 96);
    // Corners at 16 and 80; the side lines run between them, their end segments reach 8 past.
    constexpr int lo = 16, hi = 80, out = 8;
    struct Corner {
        const char* name;
        int x, y, dx, dy;
    };
    const Corner corners[4] = {{"LeftUpper", lo, lo, 1, 1},
                               {"LeftLower", lo, hi, 1, -1},
                               {"RightUpper", hi, lo, -1, 1},
                               {"RightLower", hi, hi, -1, -1}};
    for (int k = 0; k < 4; ++k) {
        const Corner& c = corners[k];
        const QString base = QString::fromLatin1(c.name);
        const QString tag = base + QStringLiteral("Corner");
        elements[QStringLiteral("shpFree") + base + QStringLiteral("Off")] = {tag + QStringLiteral("Off"), false, true, 0, k, QLine(c.x - 3, c.y - 3, c.x + 3, c.y + 3)};
        elements[QStringLiteral("linFree") + base + QStringLiteral("Cut")] = {tag + QStringLiteral("Cut"), false, false, 0, k, QLine(c.x, c.y + 8 * c.dy, c.x + 8 * c.dx, c.y)};
        elements[QStringLiteral("shpFree") + base + QStringLiteral("Curve")] = {tag + QStringLiteral("Curve"), false, true, 1, k, QLine(c.x, c.y, c.x + 8 * c.dx, c.y + 8 * c.dy)};
    }
    auto side = [&](const char* name, const QString& tag, QLine line) {
        elements[QString::fromLatin1(name)] = {tag, false, false, 0, 0, line};
    };
    side("linFreeLeftUpperVertical", QStringLiteral("LeftLineOn"), QLine(lo, lo - out, lo, lo + 8));
    side("linFreeLeftVertical", QStringLiteral("LeftLineOn"), QLine(lo, lo + 8, lo, hi - 8));
    side("linFreeLeftLowerVertical", QStringLiteral("LeftLineOn"), QLine(lo, hi - 8, lo, hi + out));
    side("linFreeRightUpperVertical", QStringLiteral("RightLineOn"), QLine(hi, lo - out, hi, lo + 8));
    side("linFreeRightVertical", QStringLiteral("RightLineOn"), QLine(hi, lo + 8, hi, hi - 8));
    side("linFreeRightLowerVertical", QStringLiteral("RightLineOn"), QLine(hi, hi - 8, hi, hi + out));
    side("linFreeUpperLeftHorizontal", QStringLiteral("UpperLineOn"), QLine(lo - out, lo, lo + 8, lo));
    side("linFreeUpperHorizontal", QStringLiteral("UpperLineOn"), QLine(lo + 8, lo, hi - 8, lo));
    side("linFreeUpperRightHorizontal", QStringLiteral("UpperLineOn"), QLine(hi - 8, lo, hi + out, lo));
    side("linFreeLowerLeftHorizontal", QStringLiteral("LowerLineOn"), QLine(lo - out, hi, lo + 8, hi));
    side("linFreeLowerHorizontal", QStringLiteral("LowerLineOn"), QLine(lo + 8, hi, hi - 8, hi));
    side("linFreeLowerRightHorizontal", QStringLiteral("LowerLineOn"), QLine(hi - 8, hi, hi + out, hi));
    side("linFreeLeft", QString(), QLine(2, 2, 2, 93));
    side("linFreeRight", QString(), QLine(93, 2, 93, 93));
    side("linFreeUpper", QString(), QLine(2, 2, 93, 2));
    side("linFreeLower", QString(), QLine(2, 93, 93, 93));
    Reset();
}

void FreeStylePreview::Reset()
{
    for (auto& [name, element] : elements)
        element.visible = element.tag.isEmpty() || element.tag.endsWith(QLatin1String("CornerOff"));
    update();
}

void FreeStylePreview::SetVisible(const QString& name, bool visible)
{
    auto it = elements.find(name);
    if (it != elements.end() && it->second.visible != visible) {
        it->second.visible = visible;
        update();
    }
}

bool FreeStylePreview::IsVisible(const QString& name) const
{
    auto it = elements.find(name);
    return it != elements.end() && it->second.visible;
}

void FreeStylePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const auto& [name, element] : elements) {
        if (!element.visible)
            continue;
        painter.setPen(element.tag.isEmpty() ? Qt::gray : Qt::black);
        if (!element.shape) {
            painter.drawLine(element.line);
        } else if (element.kind == 0) {
            painter.drawRect(QRect(element.line.p1(), element.line.p2()));
        } else {
            const QLine& l = element.line;
            const QRect box(std::min(l.x1(), l.x2()) - 8, std::min(l.y1(), l.y2()) - 8, 16, 16);
            painter.drawArc(box, 0, 360 * 16);
        }
    }
}

const std::array<std::array<const char*, 2>, 4> BoxEditor::FreeSegmentNames = {{
    {"linFreeLeftUpperVertical", "linFreeUpperLeftHorizontal"},
    {"linFreeLeftLowerVertical", "linFreeLowerLeftHorizontal"},
    {"linFreeRightUpperVertical", "linFreeUpperRightHorizontal"},
    {"linFreeRightLowerVertical", "linFreeLowerRightHorizontal"},
}};

QGroupBox* BoxEditor::createFreePanel()
{
    frmFree = new QGroupBox;
    auto* free = new QGridLayout(frmFree);
    lblFree = new QLabel(QStringLiteral("ﾌﾘｰ(&O)"));
    free->addWidget(lblFree, 0, 0, 1, 3);
    preview = new FreeStylePreview;
    // Buttons around the preview: corners at the corners, lines at the sides, overlap below.
    const int places[9][2] = {{1, 0}, {3, 0}, {1, 2}, {3, 2}, {2, 0}, {2, 2}, {1, 1}, {3, 1}, {4, 1}};
    for (int i = 0; i < 9; ++i) {
        auto* button = new QPushButton;
        button->setProperty("Tag", QString::fromLatin1(kFreeStyleTags[i]));
        button->setFixedHeight(20);
        cmdFreeStyle[static_cast<std::size_t>(i)] = button;
        free->addWidget(button, places[i][0], places[i][1]);
    }
    lblFree->setBuddy(cmdFreeStyle[0]);
    free->addWidget(preview, 2, 1);
    for (std::size_t i = 0; i < cmdFreeStyle.size(); ++i)
        connect(cmdFreeStyle[i], &QPushButton::clicked, this, [this, i] { cmdFreeStyle_Click(static_cast<int>(i)); });
    return frmFree;
}

void BoxEditor::FreeStyleLoad(const QString& style)
{
    if (!style.isEmpty()) {
        for (const QString& line : style.split(CrLf)) {
            const qsizetype colon = line.indexOf(QLatin1Char(':'));
            const QString name = colon < 0 ? line : line.left(colon);
            const QString value = colon < 0 ? QString() : line.mid(colon + 1);
            for (std::size_t r = 0; r < PR.StyleAttributeTable.size(); ++r) {
                const StyleAttributeRecord& row = PR.StyleAttributeTable[r];
                if (row.name != name)
                    continue;
                if (value.isEmpty()) {
                    styleValues_[r] = 0;
                } else {
                    const auto it = std::find(row.values.begin(), row.values.end(), value);
                    if (it != row.values.end())
                        styleValues_[r] = static_cast<std::uint8_t>(it - row.values.begin());
                }
            }
        }
    }
}

void BoxEditor::cmdFreeStyle_Click(int Index)
{
    Command([this, Index] {
        const QString tag = Index < 0 || Index >= static_cast<int>(cmdFreeStyle.size())
                                ? QStringLiteral("\t")
                                : cmdFreeStyle[static_cast<std::size_t>(Index)]->property("Tag").toString();
        const std::vector<StyleAttributeRecord>& table = PR.StyleAttributeTable;
        styleValues_.resize(table.size(), 0);
        auto show = [this](const StyleAttributeRecord& row, std::size_t r) {
            for (std::size_t j = 0; j < row.values.size(); ++j)
                for (auto& [name, element] : preview->elements)
                    if (element.tag.compare(row.name + row.values[j], Qt::CaseInsensitive) == 0)
                        preview->SetVisible(name, styleValues_[r] == j);
        };
        for (std::size_t r = 0; r < table.size(); ++r) {
            const StyleAttributeRecord& row = table[r];
            if (tag.compare(row.name, Qt::CaseInsensitive) == 0 && !row.values.empty())
                styleValues_[r] = static_cast<std::uint8_t>((styleValues_[r] + 1) % row.values.size());
            show(row, r);
        }
        bool horizontal = false;
        bool vertical = false;
        for (std::size_t r = 0; r < table.size(); ++r) {
            if (!table[r].isLine || styleValues_[r] == 0)
                continue;
            horizontal = horizontal || table[r].isUpper || table[r].isLower;
            vertical = vertical || table[r].isLeft || table[r].isRight;
        }
        auto valueName = [&](std::size_t r) { return table[r].values.at(styleValues_[r]).toLower(); };
        for (std::size_t r = 0; r < table.size(); ++r) {
            if (!table[r].isOverlap)
                continue;
            const QString value = valueName(r);
            if ((value == QLatin1String("horizontal") || value == QLatin1String("vertical")) && (!horizontal || !vertical))
                styleValues_[r] = 0;
        }
        const std::int32_t shadow = SystemColor(QPalette::Dark);
        const std::int32_t face = SystemColor(QPalette::Button);
        for (std::size_t r = 0; r < table.size(); ++r) {
            for (QPushButton* button : cmdFreeStyle) {
                if (button->property("Tag").toString().compare(table[r].name, Qt::CaseInsensitive) != 0)
                    continue;
                QString caption;
                if (styleValues_[r] != 0 && table[r].isOverlap) {
                    const QString value = valueName(r);
                    caption = value == QLatin1String("horizontal") ? QStringLiteral("←　→")
                              : value == QLatin1String("vertical") ? QStringLiteral("↑　↓")
                                                                    : QString();
                }
                BackColorSet(button, styleValues_[r] != 0 ? shadow : face);
                button->setText(caption);
            }
        }
        for (std::size_t r = 0; r < table.size(); ++r) {
            if (!table[r].isOverlap)
                continue;
            const QString value = valueName(r);
            const bool byHorizontal = value == QLatin1String("horizontal");
            if (!byHorizontal && value != QLatin1String("vertical"))
                continue;
            // The side lines of one direction run through the corners; those of the other stop
            // where they would cross them, and lose their middles.
            const int keep = byHorizontal ? 1 : 0;
            for (const auto& corner : FreeSegmentNames) {
                if (!preview->IsVisible(QString::fromLatin1(corner[static_cast<std::size_t>(keep)])))
                    preview->SetVisible(QString::fromLatin1(corner[static_cast<std::size_t>(1 - keep)]), false);
            }
            if (byHorizontal) {
                preview->SetVisible(QStringLiteral("linFreeLeftVertical"), false);
                preview->SetVisible(QStringLiteral("linFreeRightVertical"), false);
            } else {
                preview->SetVisible(QStringLiteral("linFreeUpperHorizontal"), false);
                preview->SetVisible(QStringLiteral("linFreeLowerHorizontal"), false);
            }
        }
    });
}

} // namespace vellumora
