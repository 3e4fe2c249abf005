#include "v4l2controls.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

QHash<QString, int> V4l2ControlDefaults(const QString& devicePath)
{
    QHash<QString, int> defaults;
    // Non-blocking, and no streaming: querying works while another program captures.
    const int fd = ::open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return defaults;
    v4l2_queryctrl query;
    std::memset(&query, 0, sizeof query);
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (::ioctl(fd, VIDIOC_QUERYCTRL, &query) == 0) {
        if (!(query.flags & V4L2_CTRL_FLAG_DISABLED) && query.type != V4L2_CTRL_TYPE_CTRL_CLASS) {
            const auto* name = reinterpret_cast<const char*>(query.name);
            defaults.insert(QString::fromUtf8(name, qsizetype(strnlen(name, sizeof query.name))), query.default_value);
        }
        query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    ::close(fd);
    return defaults;
}
