#pragma once

#include <QColor>
#include <QPushButton>

#include <cstdint>

#include "platform/WindowsApi.h"

class QPainter;

// A push button that paints itself: a face and a caption in colours the owner
// sets, three-dimensional edges drawn line by line, a dotted focus rectangle
// and a caption of one or several lines placed by the button's style bits.
class CColorButton : public QPushButton {
    Q_OBJECT

public:
    // States of a draw request.
    static constexpr unsigned ODS_SELECTED = 0x0001;
    static constexpr unsigned ODS_DISABLED = 0x0004;
    static constexpr unsigned ODS_FOCUS = 0x0010;
    static constexpr unsigned ODS_DEFAULT = 0x0020;

    // Edge rings.
    static constexpr unsigned RING_SUNKEN = 1;  // two dark rings (pressed)
    static constexpr unsigned RING_RAISED = 2;  // light top and left, dark bottom and right
    static constexpr unsigned RING_OUTLINE = 4; // one black ring outside the others

    // Style bits the caption follows.
    static constexpr std::uint32_t BS_OWNERDRAW = 0x000B;
    static constexpr std::uint32_t BS_LEFT = 0x0100;
    static constexpr std::uint32_t BS_RIGHT = 0x0200;
    static constexpr std::uint32_t BS_CENTER = 0x0300;
    static constexpr std::uint32_t BS_TOP = 0x0400;
    static constexpr std::uint32_t BS_BOTTOM = 0x0800;
    static constexpr std::uint32_t BS_VCENTER = 0x0C00;
    static constexpr std::uint32_t BS_MULTILINE = 0x2000;

    explicit CColorButton(QWidget* parent = nullptr);

    // Caption and face colour of the enabled button; repaints at once.
    void SetColors(QColor text, QColor face);

    // The button's style bits (alignment, multi-line); owner-draw is always on.
    void SetWindowStyle(std::uint32_t style);
    std::uint32_t WindowStyle() const { return m_nStyle; }

    // The ODS_ flags of the button as it is now.
    unsigned ItemState() const;

    // Paints the whole button into `rcItem` for the state flags `itemState`.
    void DrawItem(QPainter& painter, const QRect& rcItem, unsigned itemState) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void FillFace(QPainter& painter, const QRect& rect, QColor cr) const;
    // A horizontal or vertical line from `from` up to, but not including, `to`.
    void DrawEdgeLine(QPainter& painter, QPoint from, QPoint to, QColor cr) const;
    void DrawRing(QPainter& painter, const QRect& rect, QColor topLeft, QColor bottomRight) const;
    void DrawFrame(QPainter& painter, QRect rect, unsigned nFlags) const;
    void DrawButtonText(QPainter& painter, const QRect& rect, const QString& text, QColor cr) const;
    void DrawFocusRect(QPainter& painter, const QRect& rect) const;

    QColor m_crText;
    QColor m_crFace;
    QColor m_crDisabledFace;
    QColor m_crLight;
    QColor m_crHighlight;
    QColor m_crShadow;
    QColor m_crDarkShadow;
    std::uint32_t m_nStyle = BS_OWNERDRAW;
};
