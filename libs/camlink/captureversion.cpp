#include "captureversion.h"

#include <gst/gst.h>

QString CaptureLibraryVersionText()
{
    // The version is known before gst_init(), so asking for it does not cost the plugin scan that
    // initialising would on a first run.
    gchar* text = gst_version_string();
    const QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}
