#pragma once

class QPushButton;
class QWidget;

namespace tarnwick {

// A Close button for a tool window, named `name`, for the caller to place; Escape anywhere
// in the window closes it too, as it closes a dialog.
QPushButton* MakeCloseButton(QWidget* window, const char* name);

}  // namespace tarnwick
