#pragma once

// A program link for a test of one floor, installed while it lives: each step the test sets runs
// in place of the dialog or window above; a step it leaves unset acts as with no program
// installed (dialogs cancelled, nothing done).

#include "app/core/ProgramLink.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace testsupport {

class TestProgramLink final : public vellumora::ProgramLink {
public:
    std::function<void(vellumora::FontSettingTray& tray)> fontSetting;
    std::function<bool(const QString& caption, bool& sameText, QString& frameColor)> frameSetting;
    std::function<bool(const QString& caption, QString& canvasColor)> canvasColor;
    std::function<bool(QString& canvasName)> canvasName;
    std::function<QWidget*(const vellumora::BoxEditorTray& tray)> boxEditorShow;

    TestProgramLink() : none_(NoProgram()) { vellumora::SetProgramLink(this); }
    ~TestProgramLink() override { vellumora::SetProgramLink(nullptr); }
    TestProgramLink(const TestProgramLink&) = delete;
    TestProgramLink& operator=(const TestProgramLink&) = delete;

    void FontSettingShow(vellumora::FontSettingTray& tray) override
    {
        fontSetting ? fontSetting(tray) : none_.FontSettingShow(tray);
    }
    bool ZoomEditDialog(const QString& caption, QString& text, std::int32_t tagType, std::int32_t maxWidth,
                        std::int32_t maxHeight) override
    {
        return none_.ZoomEditDialog(caption, text, tagType, maxWidth, maxHeight);
    }
    bool FrameSettingDialog(const QString& caption, bool& sameText, QString& frameColor) override
    {
        return frameSetting ? frameSetting(caption, sameText, frameColor)
                            : none_.FrameSettingDialog(caption, sameText, frameColor);
    }
    bool CanvasColorDialog(const QString& caption, QString& color) override
    {
        return canvasColor ? canvasColor(caption, color) : none_.CanvasColorDialog(caption, color);
    }
    bool CanvasNameDialog(QString& name) override
    {
        return canvasName ? canvasName(name) : none_.CanvasNameDialog(name);
    }
    bool CanvasSequenceDialog(const QString& caption) override { return none_.CanvasSequenceDialog(caption); }
    QWidget* BoxEditorShow(const vellumora::BoxEditorTray& tray) override
    {
        return boxEditorShow ? boxEditorShow(tray) : none_.BoxEditorShow(tray);
    }
    void BoxEditorReturn(const vellumora::BoxEditorTray& tray, bool cancel) override
    {
        none_.BoxEditorReturn(tray, cancel);
    }
    bool BoxEditorCloseCheck(bool ask, std::int16_t canvas) override
    {
        return none_.BoxEditorCloseCheck(ask, canvas);
    }
    void DebugClassSetShow() override { none_.DebugClassSetShow(); }

private:
    // The default the accessor gives while nothing is installed.
    static vellumora::ProgramLink& NoProgram()
    {
        vellumora::SetProgramLink(nullptr);
        return vellumora::Program();
    }

    vellumora::ProgramLink& none_;
};

} // namespace testsupport
