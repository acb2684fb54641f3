#pragma once

// Paints a workspace frame's border alone where a paint misses the frame's title bar.

class QMdiSubWindow;

namespace vellumora {

// From now on, paints of the frame that leave its title bar alone draw the border only. A frame's
// own paint lays out and shapes its title for every paint, even one of a strip of border; a
// window that slides or is dragged past the workspace's edge exposes such a strip at every step.
void FrameBorderPaintInstall(QMdiSubWindow* frame);

} // namespace vellumora
