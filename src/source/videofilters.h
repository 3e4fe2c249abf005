// The file dialog's filter list for video files.
#pragma once

#include <QFileDialog>
#include <QString>

// Each filter is "label (patterns)", and the label names its patterns itself ("AVI files(*.avi)"),
// so the dialog is told not to add them a second time.
QString VideoFileFilters();
inline constexpr QFileDialog::Options kVideoFileDialogOptions = QFileDialog::HideNameFilterDetails;
