#include "about.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

QDialog* CreateOrvelAbout(const QString& exePath, ColorRef backColor, QWidget* parent)
{
    auto* box = new QDialog(parent);
    box->setObjectName(QStringLiteral("OrvelAbout"));
    box->setWindowTitle(QObject::tr("About Kestivo"));

    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, ToQColor(backColor));
    box->setPalette(palette);
    box->setAutoFillBackground(true);

    auto* title = new QLabel(QStringLiteral("<b>Kestivo</b> %1").arg(QStringLiteral(KESTIVO_VERSION)));
    title->setObjectName(QStringLiteral("title"));
    auto* blurb = new QLabel(QObject::tr("Grabs still images from video files and capture devices."));
    auto* path = new QLabel(exePath);
    path->setObjectName(QStringLiteral("exePath"));
    path->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    path->setToolTip(QObject::tr("The program's executable"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);

    auto* layout = new QVBoxLayout(box);
    layout->addWidget(title);
    layout->addWidget(blurb);
    layout->addWidget(path);
    layout->addWidget(buttons);
    return box;
}

void OrvelAbout(const QString& exePath, ColorRef backColor, int /*reserved*/, QWidget* parent)
{
    QDialog* box = CreateOrvelAbout(exePath, backColor, parent);
    box->exec();
    delete box;
}
