#include "chanfeed.h"

#include "chanview.h"

#include <gst/video/video.h>

#include <cstring>
#include <exception>

CChanFeed::CChanFeed(int channel, QObject* parent) : QObject(parent), m_channel(channel) {}

CChanFeed::~CChanFeed()
{
    std::lock_guard lock(m_mailboxMutex);
    if (m_mailbox)
        gst_sample_unref(m_mailbox);
}

void CChanFeed::SetCallback(CapFrameCallback callback, void* user, CapFrameWanted wanted)
{
    std::lock_guard lock(m_callbackMutex);
    m_callback = callback;
    m_user = callback ? user : nullptr;
    m_wanted = callback ? wanted : nullptr;
}

void CChanFeed::Discard()
{
    std::lock_guard lock(m_mailboxMutex);
    if (m_mailbox)
        gst_sample_unref(m_mailbox);
    m_mailbox = nullptr;
}

void CChanFeed::SetView(CChanView* view)
{
    m_view = view;
    m_viewObject = view;
    m_hasView.store(view != nullptr);
    if (view) {
        connect(view, &QObject::destroyed, this, [this](QObject* gone) {
            if (gone == m_viewObject)
                SetView(nullptr);
        });
    }
}

GstFlowReturn CChanFeed::OnNewSample(GstAppSink* sink, gpointer data)
{
    auto* feed = static_cast<CChanFeed*>(data);
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (!sample)
        return GST_FLOW_OK;
    ++feed->m_produced;
    // GStreamer's thread must never see an exception: a frame that cannot be handled is dropped.
    try {
        feed->CallBack(sample);
    } catch (...) {
    }
    feed->Offer(sample);  // takes the sample
    return GST_FLOW_OK;
}

void CChanFeed::CallBack(GstSample* sample)
{
    std::lock_guard lock(m_callbackMutex);
    if (!m_callback || (m_wanted && !m_wanted(m_channel, m_user)))
        return;
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))
        || GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGRx)
        return;
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ))
        return;
    const int width = GST_VIDEO_FRAME_WIDTH(&frame), height = GST_VIDEO_FRAME_HEIGHT(&frame);
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0);
    const auto* source = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0));
    const std::size_t row = std::size_t(width) * 3;
    try {
        m_packed.resize(row * std::size_t(height));
    } catch (const std::exception&) {
        gst_video_frame_unmap(&frame);
        return;
    }
    // The pipeline delivers BGRx rows top down, which the view paints without a conversion; the
    // callback wants packed 24-bit rows, bottom row first.
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = source + std::ptrdiff_t(y) * stride;
        std::uint8_t* out = m_packed.data() + std::size_t(height - 1 - y) * row;
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    gst_video_frame_unmap(&frame);
    m_callback(m_channel, m_packed.data(), width, height, 24, m_user);
}

void CChanFeed::Offer(GstSample* sample)
{
    if (!m_hasView.load()) {
        gst_sample_unref(sample);
        return;
    }
    std::lock_guard lock(m_mailboxMutex);
    if (m_mailbox)
        gst_sample_unref(m_mailbox);
    m_mailbox = sample;
    if (m_deliveryPending)
        return;  // the call already queued takes this newer frame
    m_deliveryPending = true;
    QMetaObject::invokeMethod(this, &CChanFeed::Deliver, Qt::QueuedConnection);
}

void CChanFeed::Deliver()
{
    GstSample* sample = nullptr;
    {
        std::lock_guard lock(m_mailboxMutex);
        sample = m_mailbox;
        m_mailbox = nullptr;
        m_deliveryPending = false;
    }
    if (!sample)
        return;
    if (m_view)
        m_view->ShowSample(sample);
    else
        gst_sample_unref(sample);
}
