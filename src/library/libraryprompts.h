// The questions and messages of the library window.
#pragma once

#include <QString>

class QWidget;

// Asks whether the image files may be deleted; true only for Yes. The box's object name is
// "DeleteFilesQuestion".
bool AskToDeleteFiles(QWidget* parent);
// Tells the user that an item's file is gone ("MissingFileMessage").
void ReportMissingFile(QWidget* parent, const QString& path);
