// Owning pointers for GStreamer's reference-counted objects, so an early return cannot leak a ref.
#pragma once

#include <gst/gst.h>

#include <memory>

struct GstObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            gst_object_unref(object);
    }
};
struct GstMiniObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            gst_mini_object_unref(GST_MINI_OBJECT_CAST(object));
    }
};

template <class T>
using GstPtr = std::unique_ptr<T, GstObjectUnref>;
using GstCapsPtr = std::unique_ptr<GstCaps, GstMiniObjectUnref>;
using GstSamplePtr = std::unique_ptr<GstSample, GstMiniObjectUnref>;

// Safe to call from every entry point: the first call initialises GStreamer for the process.
inline void EnsureGstInit()
{
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
}
