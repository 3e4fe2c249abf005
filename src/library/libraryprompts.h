// The questions and messages of the library window.
#pragma once

#include <QString>

class QWidget;

// Asks whether the image files may be deleted, saying how many files (those no other folder
// shows) of which folder, and of how many of its subfolders (negative: the question is about
// images, not the folder); true only for Yes. The box's object name is "DeleteFilesQuestion".
bool AskToDeleteFiles(QWidget* parent, int files, const QString& folder, int subfolders = -1);
// Tells the user that an item's file is gone ("MissingFileMessage").
void ReportMissingFile(QWidget* parent, const QString& path);
