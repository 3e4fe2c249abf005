#include "coptionsdlg.h"

#include "imagetype.h"
#include "saveoptions.h"
#include "setobj.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryFile>

namespace {

QString DefaultChooseFolder(QWidget* parent, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, COptionsDlg::tr("Please select a directory:"), start,
                                             QFileDialog::ShowDirsOnly);
}

bool DefaultKeepUnwritable(QWidget* parent, const QString& path, const QString& reason)
{
    const QString text = COptionsDlg::tr("Kestivo cannot create files in \"%1\": %2.\n\n"
                                         "Grabs would not be saved there.")
                             .arg(path, reason);
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("UnwritableFolder"));
    QPushButton* again = box.addButton(COptionsDlg::tr("Choose Another Folder"), QMessageBox::RejectRole);
    QPushButton* keep = box.addButton(COptionsDlg::tr("Keep It"), QMessageBox::AcceptRole);
    // An Enter pressed by habit must not keep a folder every grab would then fail in.
    box.setDefaultButton(again);
    box.setEscapeButton(again);
    box.exec();
    return box.clickedButton() == keep;
}

// Why grabs could not be written into path, or an empty string when they could. Creates the folder
// when it is missing, as the first grab would.
QString WhyNotWritable(const QString& path)
{
    if (!QDir().mkpath(path))
        return COptionsDlg::tr("the folder cannot be created");
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".kestivo-probe-XXXXXX")));
    if (!probe.open())
        return probe.errorString();
    return {};
}

}  // namespace

COptionsDlg::COptionsDlg(QWidget* parent)
    : QDialog(parent), m_chooseFolder(DefaultChooseFolder), m_keepUnwritable(DefaultKeepUnwritable)
{
    setObjectName(QStringLiteral("OptionsDlg"));
    setWindowTitle(tr("Options"));
    // The controls are created in Tab order, which is the order the chain follows.

    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("ImagePath"));
    m_path->setReadOnly(true);  // only Browse sets it, so the folder is one that existed when chosen
    m_path->setMinimumWidth(m_path->fontMetrics().averageCharWidth() * 40);
    m_browse = new QPushButton(tr("Browse.."), this);
    m_browse->setObjectName(QStringLiteral("Browse"));
    m_browse->setToolTip(tr("Choose the folder grabs are written to"));
    connect(m_browse, &QPushButton::clicked, this, &COptionsDlg::OnBrowse);

    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("ImageType"));
    m_type->setEditable(false);
    m_type->setToolTip(tr("The file type of new grabs"));
    for (const ImageTypeInfo& info : ImageTypes())  // in code order, so an entry's index is its code
        m_type->addItem(QString::fromLatin1(info.label));

    m_jpegQuality = new QSpinBox(this);
    m_jpegQuality->setObjectName(QStringLiteral("JpegQuality"));
    m_jpegQuality->setRange(ImageEncoding::kMinJpegQuality, ImageEncoding::kMaxJpegQuality);
    m_jpegQuality->setToolTip(tr("The quality of JPEG grabs, %1 to %2: higher keeps more detail in larger files")
                                  .arg(ImageEncoding::kMinJpegQuality)
                                  .arg(ImageEncoding::kMaxJpegQuality));
    m_pngCompression = new QSpinBox(this);
    m_pngCompression->setObjectName(QStringLiteral("PngCompression"));
    m_pngCompression->setRange(0, ImageEncoding::kMaxPngCompression);
    m_pngCompression->setToolTip(tr("How tightly PNG grabs are packed, 0 to %1: higher makes smaller files, more "
                                    "slowly; the picture is the same at every level")
                                     .arg(ImageEncoding::kMaxPngCompression));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsDlg::reject);

    auto* pathLabel = new QLabel(tr("Image Path"), this);
    pathLabel->setBuddy(m_path);
    auto* typeLabel = new QLabel(tr("Image Type"), this);
    typeLabel->setBuddy(m_type);
    auto* jpegLabel = new QLabel(tr("&JPEG Quality"), this);
    jpegLabel->setBuddy(m_jpegQuality);
    auto* pngLabel = new QLabel(tr("&PNG Compression"), this);
    pngLabel->setBuddy(m_pngCompression);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    auto* form = new QFormLayout(this);
    form->addRow(pathLabel, pathRow);
    form->addRow(typeLabel, m_type);
    form->addRow(jpegLabel, m_jpegQuality);
    form->addRow(pngLabel, m_pngCompression);
    form->addRow(buttons);

    ShowPath(g_SetObj.m_imageDir);
    const std::int32_t code = g_SetObj.m_imageType;
    m_type->setCurrentIndex(code >= 0 && code < m_type->count() ? int(code) : -1);
    const ImageEncoding encoding = ImageEncoding::FromProfile();
    m_jpegQuality->setValue(encoding.jpegQuality);
    m_pngCompression->setValue(encoding.pngCompression);
}

void COptionsDlg::SetBackColor(ColorRef color)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    setPalette(palette);
    setAutoFillBackground(true);
}

void COptionsDlg::accept()
{
    const QString path = m_path->text();
    // An unchanged folder is not probed: it may sit on a drive that is unplugged for now.
    if (path != g_SetObj.m_imageDir) {
        const QString reason = WhyNotWritable(path);
        if (!reason.isEmpty() && !m_keepUnwritable(this, path, reason)) {
            m_browse->setFocus();  // so Enter opens the chooser rather than asking again
            return;
        }
        g_SetObj.m_imageDir = path;
    }
    // -1 (nothing chosen) is stored as it is; grabs then write BMP.
    g_SetObj.m_imageType = m_type->currentIndex();
    ImageEncoding encoding;
    encoding.jpegQuality = m_jpegQuality->value();
    encoding.pngCompression = m_pngCompression->value();
    encoding.ToProfile();
    QDialog::accept();
}

void COptionsDlg::OnBrowse()
{
    const QString current = m_path->text();
    const QString start = !current.isEmpty() && QDir(current).exists() ? current : QDir::homePath();
    const QString chosen = m_chooseFolder(this, start);
    if (chosen.isEmpty())
        return;
    // The program has always worked in the image folder; file dialogs opened without a folder
    // start there.
    QDir::setCurrent(chosen);
    ShowPath(chosen);
}

void COptionsDlg::ShowPath(const QString& path)
{
    m_path->setText(path);
    m_path->setToolTip(path);
}
