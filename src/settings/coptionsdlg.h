// The Options dialog: the folder grabs are written to, the file type they are written in, and the
// JPEG quality and PNG compression they are encoded with.
#pragma once

#include "colorref.h"

#include <QDialog>
#include <functional>
#include <utility>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Reads g_SetObj and the profile's encoder settings when built and writes them only when accepted;
// Cancel or closing leaves them alone. User-interface thread only.
class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    // Asks for a folder starting at start; an empty result means the user cancelled.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;
    // Asked when the new image folder cannot take files; true keeps it anyway.
    using WritableQuestion = std::function<bool(QWidget* parent, const QString& path, const QString& reason)>;

    explicit COptionsDlg(QWidget* parent = nullptr);

    // Paints the window background; the caller passes g_SetObj.m_backColor before exec().
    void SetBackColor(ColorRef color);
    // Both default to real modal boxes; tests replace them.
    void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    void SetWritableQuestion(WritableQuestion question) { m_keepUnwritable = std::move(question); }

    // Stores the path and type into g_SetObj and the encoder settings into the profile. A changed
    // path that cannot take files is first put to the user, who may choose again (the dialog stays
    // open) or keep it.
    void accept() override;

private:
    void OnBrowse();
    void ShowPath(const QString& path);

    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QComboBox* m_type = nullptr;
    QSpinBox* m_jpegQuality = nullptr;
    QSpinBox* m_pngCompression = nullptr;
    FolderChooser m_chooseFolder;
    WritableQuestion m_keepUnwritable;
};
