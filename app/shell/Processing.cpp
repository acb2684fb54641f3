#include "app/shell/Processing.h"

#include <QWidget>

namespace vellumora {

QString FormTag(const QWidget* form) { return form ? form->property("Tag").toString() : QString(); }
void FormTagSet(QWidget* form, const QString& tag) { form->setProperty("Tag", tag); }
void FormEnable(QWidget*, bool) {}
bool FormEnabled(const QWidget*) { return true; }
void ProcessingStart(QWidget*) {}
void ProcessingEnd(QWidget*, bool, bool) {}
bool RunCommand(QWidget* form, const std::function<void()>& command, bool force)
{
    ProcessingScope scope(form, force);
    command();
    return true;
}
ProcessingScope::ProcessingScope(QWidget* form, bool force) : form_(form), force_(force) { ProcessingStart(form_); }
ProcessingScope::~ProcessingScope() { ProcessingEnd(form_, false, force_); }
void PaintEventReleaseAll(bool, bool) {}
void CanvasTimersStop() {}
void RefreshTimersStop() {}
void CanvasBusyWait(std::int16_t) {}
CanvasHeader CanvasDataGet(std::int16_t) { return {}; }
BoxRecord BoxDataGet(std::int16_t, std::int16_t) { return {}; }
SubRecord SubDataGet(std::int16_t, std::int16_t) { return {}; }
void CanvasStateSet(std::int16_t, std::int32_t) {}
void CanvasWindowStateSet(std::int16_t, std::int16_t) {}
void PartsLockSet(std::int16_t, bool) {}
QString CanvasCaptionMake(std::int16_t, const QString&) { return {}; }
void NewPageToggle(std::int16_t, std::int16_t, std::int16_t) {}
std::int32_t ObstinateGet(std::int16_t) { return 0; }
void StatusPanelSet(const QString&, const QString&) {}
void FocusCanvasShow(const QString&) {}
void EditModeShow() {}
void ModalWindowShow(const QString&) {}
void UnVisibleCanvasShow() {}
void SearchStateShow(const QString&) {}
void FontAndSizeShow() {}
QString ExitMenuCaption() { return QStringLiteral("Vellumoraの終了(&X)"); }
QString MenuCaptionClean(const QString& caption) { return caption; }
QString DocumentPathPart(const QString&) { return {}; }
QString DocumentDisplayName(const QString&) { return {}; }
QString DocumentSavePath(const QString&) { return {}; }
QString DocumentFileName(bool) { return {}; }
bool DocumentOpened() { return false; }
bool InputTextCheck(const QString&, std::int32_t, std::int32_t, std::int32_t) { return false; }
void FormControlsClear(QWidget*, bool) {}
void DialogKeyDown(int&, int, QWidget*) {}
void FontNameComboSet(QComboBox*, bool, const QString&) {}
void FontSizeComboSet(QComboBox*, bool, const QString&) {}
void ColorComboSet(QComboBox*, bool, const QString&) {}

} // namespace vellumora
