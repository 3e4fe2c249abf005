#include "about.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

QDialog* CreateOrvelAbout(const QString& exePath, ColorRef backColor, QWidget* parent, const QString& details)
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
    if (!details.isEmpty()) {
        // Plain text: version strings come from the libraries themselves and may hold a '<'.
        auto* detailsLabel = new QLabel(details);
        detailsLabel->setObjectName(QStringLiteral("details"));
        detailsLabel->setTextFormat(Qt::PlainText);
        // Selectable, so that a bug report can quote exactly what is installed.
        detailsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        layout->addWidget(detailsLabel);
    }
    layout->addWidget(buttons);
    return box;
}

void OrvelAbout(const QString& exePath, ColorRef backColor, int /*reserved*/, QWidget* parent, const QString& details)
{
    QDialog* box = CreateOrvelAbout(exePath, backColor, parent, details);
    box->exec();
    delete box;
}
