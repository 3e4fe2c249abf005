// The four pane layouts of the View menu: the preview pane and the source group (the source pane
// with the capture panes tabbed onto it) side by side in a band along the top or bottom edge,
// the library window below or above them.
#pragma once

#include <QList>
#include <array>

class QDockWidget;
class QMainWindow;

namespace panelayout {

inline constexpr int kUpLeft = 32797, kUpRight = 32798, kDownLeft = 32799, kDownRight = 32800;
inline constexpr int kBandHeight = 350, kPreviewWidth = 650;

struct Layout {
    int id;
    const char* label;
    const char* icon;  // resource path of its 24 x 24 icon
    bool bottom;       // the band along the bottom edge, else along the top
    bool sourceRight;  // the source group right of the preview pane, else left
};

// An unknown id gives UpLeft, the start-up layout.
const Layout& For(int id);
const std::array<Layout, 4>& All();

// Re-docks the panes from whatever state the user left them in: floating, closed, pulled out of
// their tab group or docked elsewhere. Every pane ends up docked and shown, the capture panes
// tabbed onto the source in channel order with the last one in front. The sizes are set at once
// when the frame is visible, else when it is first shown.
// User-interface thread. preview and source must be dock widgets of frame; cams in channel order
// (may be empty).
void Apply(QMainWindow* frame, int id, QDockWidget* preview, QDockWidget* source, const QList<QDockWidget*>& cams);
// Drops the sizes that an Apply before the first show left waiting for it: a window state restored
// afterwards holds the user's own sizes, which must stand.
void CancelPendingSizes(QMainWindow* frame);

}  // namespace panelayout
