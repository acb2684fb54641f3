// The box editor's Update: the checks of what was entered, then the box written to the session's get file.

#include "app/dialogs/BoxEditor.h"

#include "app/diagram/FileInterface.h"

#include "app/diagram/PadDraw.h"

#include "app/diagram/TagTable.h"

#include "app/core/EditState.h"

#include "app/diagram/HistorySnapshots.h"

#include "app/core/Processing.h"

#include "app/core/Utilities.h"

#include "platform/grid/Grid.h"

#include <QCheckBox>

#include <QComboBox>

#include <QPlainTextEdit>

#include <QPushButton>

#include <QRadioButton>

namespace vellumora {

namespace {

using platform::grid::GridModel;

const QString CrLf = QStringLiteral("\r\n");

} // namespace

void BoxEditor::cmdUpdate_Click()
{
    cmdUpdate->setFocus(Qt::OtherFocusReason);
    Command([this] {
        QString text = BoxText();
        std::int32_t tagId = 0;
        if (!UpdateAccepted(text, tagId))
            return;
        EditRecordsMake(text, tagId);

        // The run folder may have been removed and made again since the editor opened.
        TrayGetFileName = TemporaryFileNameCurrent(TrayGetFileName);
        PadFileCreate(TrayGetFileName);
        try {
            for (const PadInfoRecord& r : editRecords_)
                PadInfoWrite(r);
            PadFileFinish();
        } catch (...) {
            PadFileAbandon();
            throw;
        }
        editRecords_.clear();
        editRecords_.push_back(PadInfoRecord::Default);

        if (!editFinished_) {
            editFinished_ = true;
            const std::int16_t canvas = TrayBaseIndex;
            HistoryEdit(QStringLiteral("BOX編集(&E)"), canvas, [this] { SessionReturn(false); });
            PadDrawRefresh(canvas);
        }
    });
}

bool BoxEditor::UpdateAccepted(QString& text, std::int32_t& tagId)
{
    if (InputTextCheck(text, selectedKindRow_.id, 0, 0)) {
        txtText->setFocus();
        return false;
    }
    if ((selectedKindRow_.flags & TagAttribute::NullTextSuppress) && text.isEmpty()) {
        text = QStringLiteral(" ");
        SetBoxText(text);
    }
    const int index = cmbBoxType->currentIndex();
    if (index < 0) {
        ErrorMessageBox(QStringLiteral("形式を選択して下さい。"));
        cmbBoxType->setFocus();
        return false;
    }
    tagId = cmbBoxType->itemData(index).toInt();
    if (!KindAccepted(index)) {
        cmbBoxType->setFocus();
        return false;
    }
    // The kind written is the one the list shows; the panels were set for it when it was accepted.
    selectedKindRow_ = TagTableGet(tagId);

    const GridModel& grid = sprCase->model();
    QString loss;
    if (initialKindRow_.flags & TagAttribute::SubLevel) {
        if (!(selectedKindRow_.flags & TagAttribute::SubLevel)) {
            loss = QStringLiteral("下位の処理が全て削除されます。");
        } else if (initialKindRow_.id == TagId::Branch) {
            bool some = false;
            if (tagId == TagId::Branch) {
                for (int r = 1; r <= grid.MaxRows() && !some; ++r)
                    some = grid.Text(CaseColumn::Deleted, r) == QLatin1String("1");
            } else {
                some = editRecords_.size() >= 3;
            }
            if (some)
                loss = QStringLiteral("下位の一部が削除されます。");
        }
    }
    return loss.isEmpty() || YesNoMessageBox(loss + CrLf + QStringLiteral("宜しいですか？"), 256) == 6;
}

void BoxEditor::EditRecordsMake(const QString& text, std::int32_t tagId)
{
    const QString color = cmbColor->currentIndex() <= 0 ? QString() : cmbColor->currentText();
    QStringList font;
    if (cmbFontName->currentIndex() > 0)
        font << QStringLiteral("fontname:") + cmbFontName->currentText();
    if (cmbFontSize->currentIndex() > 0)
        font << QStringLiteral("fontsize:") + cmbFontSize->currentText();
    const std::pair<QCheckBox*, const char*> styles[] = {{chkFontBold, "fontbold"},
                                                         {chkFontItalic, "fontitalic"},
                                                         {chkFontStrikethru, "fontstrikethru"},
                                                         {chkFontUnderLine, "fontunderline"}};
    for (const auto& [check, key] : styles)
        if (check->isChecked())
            font << QString::fromLatin1(key) + QStringLiteral(":on");

    PadInfoRecord& record = editRecords_.front();
    record.tagId = tagId;
    record.text = (selectedKindRow_.flags & TagAttribute::TextUnnecessary) ? QString() : text;
    record.color = color;
    record.font = font.join(CrLf);
    record.before = tagId == TagId::Loop && optLoop[0]->isChecked();
    record.after = tagId == TagId::Loop && optLoop[1]->isChecked();
    if (tagId == TagId::FreeStyle) {
        QStringList lines;
        for (std::size_t r = 0; r < PR.StyleAttributeTable.size(); ++r) {
            const StyleAttributeRecord& row = PR.StyleAttributeTable[r];
            const std::size_t value = r < styleValues_.size() ? styleValues_[r] : 0;
            lines << row.name + QLatin1Char(':') + row.values.at(value);
        }
        record.style = lines.join(CrLf);
    }
    if (tagId == TagId::Branch)
        CaseRecordsMake(sprCase->model(), editRecords_);
    else
        editRecords_.resize(1);
}

} // namespace vellumora
