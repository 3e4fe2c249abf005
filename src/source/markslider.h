// The source's position slider, marked: the In and Out marks as brackets above the groove, and
// the frames the library already holds as ticks below it.
#pragma once

#include <QSlider>
#include <cstdint>
#include <vector>

// User-interface thread only.
class CMarkSlider : public QSlider {
    Q_OBJECT
public:
    explicit CMarkSlider(QWidget* parent = nullptr);

    void SetRangeMarks(std::uint32_t in, std::uint32_t out);
    // Ascending frame numbers.
    void SetGrabbedFrames(std::vector<std::uint32_t> frames);
    const std::vector<std::uint32_t>& GrabbedFrames() const { return m_grabbed; }
    std::uint32_t InMark() const { return m_in; }
    std::uint32_t OutMark() const { return m_out; }

    // Room above the groove for the brackets and below it for the ticks.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The frame at x along the groove.
    int ValueAt(int x) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A click on the groove jumps there (and the handle follows the drag), as players do; the
    // page of ten frames stays with Page Up and Page Down.
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The x of a frame's place: the middle of the handle when it stands there.
    int PositionOf(std::uint32_t frame) const;
    struct Track {
        int start;  // the handle's middle at the minimum
        int span;   // pixels from there to its middle at the maximum
        bool upsideDown;
    };
    Track HandleTrack() const;

    std::uint32_t m_in = 0;
    std::uint32_t m_out = 0;
    std::vector<std::uint32_t> m_grabbed;
};
