#include "videofilters.h"

#include <QStringList>

QString VideoFileFilters()
{
    // The classic list first, then the containers FFmpeg opens that users meet today; their
    // patterns are in "All Supported Types" too, so nobody has to change the filter to see them.
    const QStringList filters = {
        // Its nineteen patterns would make the list as wide as the screen; the entries below name them.
        QStringLiteral("All Supported Types (*.avi *.mpg *.mpeg *.wmv *.asf *.dat *.vob *.mp4 *.m4v *.mkv *.webm "
                       "*.ts *.m2ts *.mts *.flv *.3gp *.ogv *.divx *.mov)"),
        QStringLiteral("AVI files(*.avi) (*.avi)"),
        QStringLiteral("MPEG files(*.mpg;*.mpeg) (*.mpg *.mpeg)"),
        QStringLiteral("MVV files(*.wmv) (*.wmv)"),
        QStringLiteral("ASF files(*.asf) (*.asf)"),
        QStringLiteral("VCD DAT files(*.dat) (*.dat)"),
        QStringLiteral("DVD VOB files(*.vob) (*.vob)"),
        QStringLiteral("DivX files(*.divx) (*.divx)"),
        QStringLiteral("Real Media files(*.rm;*.rmvb) (*.rm *.rmvb)"),
        QStringLiteral("QuickTime files(*.mov) (*.mov)"),
        QStringLiteral("MP4 files(*.mp4;*.m4v) (*.mp4 *.m4v)"),
        QStringLiteral("Matroska and WebM files(*.mkv;*.webm) (*.mkv *.webm)"),
        QStringLiteral("MPEG-TS files(*.ts;*.m2ts;*.mts) (*.ts *.m2ts *.mts)"),
        QStringLiteral("Flash Video files(*.flv) (*.flv)"),
        QStringLiteral("3GP files(*.3gp) (*.3gp)"),
        QStringLiteral("Ogg Video files(*.ogv) (*.ogv)"),
        QStringLiteral("All Files (*.*) (*)"),
    };
    return filters.join(QStringLiteral(";;"));
}
