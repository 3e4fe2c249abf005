#include "libraryprompts.h"

#include "librarylog.h"
#include "resource.h"

#include <QApplication>
#include <QMessageBox>

using namespace kestivo;

bool AskToDeleteFiles(QWidget* parent, int files, const QString& folder, int subfolders)
{
    const QString count = files == 1 ? QObject::tr("1 image file") : QObject::tr("%1 image files").arg(files);
    QString which;
    if (subfolders < 0)
        which = QObject::tr("%1 of the folder \"%2\".").arg(count, folder);
    else if (subfolders == 0)
        which = QObject::tr("%1 in the folder \"%2\".").arg(count, folder);
    else if (subfolders == 1)
        which = QObject::tr("%1 in the folder \"%2\" and its subfolder.").arg(count, folder);
    else
        which = QObject::tr("%1 in the folder \"%2\" and its %3 subfolders.").arg(count, folder).arg(subfolders);
    const QString message = QString::fromLatin1(text::kDeleteQuestion) + QStringLiteral("\n\n") + which +
                            QLatin1Char(' ') + QObject::tr("They go to the trash where their disk has one.");
    qCDebug(lcLibrary).noquote() << "asking:" << QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), message,
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
