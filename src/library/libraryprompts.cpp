#include "libraryprompts.h"

#include "librarylog.h"
#include "resource.h"

#include <QApplication>
#include <QMessageBox>

using namespace kestivo;

bool AskToDeleteFiles(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), QString::fromLatin1(text::kDeleteQuestion),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("DeleteFilesQuestion"));
    box.setDefaultButton(QMessageBox::No);  // an Enter pressed by habit must not delete files
    return box.exec() == QMessageBox::Yes;
}

void ReportMissingFile(QWidget* parent, const QString& path)
{
    const QString message = QString::fromLatin1(text::kFileMissing).arg(path);
    qCInfo(lcLibrary).noquote() << message;
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), message, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MissingFileMessage"));
    box.exec();
}
