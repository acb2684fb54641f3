#include "app/shell/ShellProgramLink.h"

#include "app/canvas/BoxEditing.h"
#include "app/canvas/PageSetting.h"
#include "app/dialogs/BoxEditor.h"
#include "app/dialogs/CanvasColor.h"
#include "app/dialogs/CanvasNameSetting.h"
#include "app/dialogs/CanvasSequence.h"
#include "app/dialogs/FontSetting.h"
#include "app/dialogs/FrameSetting.h"
#include "app/dialogs/ZoomScreen.h"
#include "app/shell/DebugClassSet.h"

namespace vellumora {

namespace {

class ShellLink final : public ProgramLink {
public:
    void FontSettingShow(FontSettingTray& tray) override { FontSettingTrayShow(tray); }
    bool ZoomEditDialog(const QString& caption, QString& text, std::int32_t tagType, std::int32_t maxWidth,
                        std::int32_t maxHeight) override
    {
        return ZoomTextEdit(nullptr, caption, text, tagType, maxWidth, maxHeight);
    }
    bool FrameSettingDialog(const QString& caption, bool& sameText, QString& frameColor) override
    {
        return FrameSettingShow(caption, sameText, frameColor);
    }
    bool CanvasColorDialog(const QString& caption, QString& canvasColor) override
    {
        return CanvasColorShow(caption, canvasColor);
    }
    bool CanvasNameDialog(QString& canvasName) override { return CanvasNameSettingShow(canvasName); }
    bool CanvasSequenceDialog(const QString& caption) override { return CanvasSequenceShow(caption); }
    QWidget* BoxEditorShow(const BoxEditorTray& tray) override { return vellumora::BoxEditorShow(tray); }
    void BoxEditorReturn(const BoxEditorTray& tray, bool cancel) override { BoxEditTrayReturn(tray, cancel); }
    bool BoxEditorCloseCheck(bool ask, std::int16_t canvas) override
    {
        return vellumora::BoxEditorCloseCheck(ask, canvas);
    }
    void DebugClassSetShow() override { vellumora::DebugClassSetShow(); }
};

} // namespace

ProgramLink& ShellProgramLink()
{
    static ShellLink link;
    return link;
}

} // namespace vellumora
