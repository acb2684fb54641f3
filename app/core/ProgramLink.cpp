#include "app/core/ProgramLink.h"

namespace vellumora {

namespace {

// Stands in while no program is installed (a test of one floor): nothing shows, nothing changes.
class NoProgram final : public ProgramLink {
public:
    void FontSettingShow(FontSettingTray& tray) override { tray.TrayCancel = true; }
    bool ZoomEditDialog(const QString&, QString&, std::int32_t, std::int32_t, std::int32_t) override
    {
        return false;
    }
    bool FrameSettingDialog(const QString&, bool&, QString&) override { return false; }
    bool CanvasColorDialog(const QString&, QString&) override { return false; }
    bool CanvasNameDialog(QString&) override { return false; }
    bool CanvasSequenceDialog(const QString&) override { return false; }
    QWidget* BoxEditorShow(const BoxEditorTray&) override { return nullptr; }
    void BoxEditorReturn(const BoxEditorTray&, bool) override {}
    bool BoxEditorCloseCheck(bool, std::int16_t) override { return false; }
    void DebugClassSetShow() override {}
};

ProgramLink* installed = nullptr;

} // namespace

void SetProgramLink(ProgramLink* link) { installed = link; }

ProgramLink& Program()
{
    static NoProgram none;
    return installed ? *installed : none;
}

} // namespace vellumora
