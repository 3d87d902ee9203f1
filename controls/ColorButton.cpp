#include "controls/ColorButton.h"

#include "controls/SysColors.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QStringList>

namespace {

int Right(const QRect& r) { return r.x() + r.width(); }
int Bottom(const QRect& r) { return r.y() + r.height(); }

bool HasAll(std::uint32_t style, std::uint32_t bits) { return (style & bits) == bits; }

} // namespace

CColorButton::CColorButton(QWidget* parent)
    : QPushButton(parent)
    , m_crText(GetSysColor(COLOR_BTNTEXT))
    , m_crFace(GetSysColor(COLOR_BTNFACE))
    , m_crDisabledFace(GetSysColor(COLOR_BTNFACE))
    , m_crLight(GetSysColor(COLOR_3DLIGHT))
    , m_crHighlight(GetSysColor(COLOR_BTNHIGHLIGHT))
    , m_crShadow(GetSysColor(COLOR_BTNSHADOW))
    , m_crDarkShadow(GetSysColor(COLOR_3DDKSHADOW))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CColorButton::SetColors(QColor text, QColor face)
{
    m_crText = text;
    m_crFace = face;
    update();
}

void CColorButton::SetWindowStyle(std::uint32_t style)
{
    m_nStyle = style | BS_OWNERDRAW;
    update();
}

unsigned CColorButton::ItemState() const
{
    unsigned state = 0;
    if (isDown())
        state |= ODS_SELECTED;
    if (!isEnabled())
        state |= ODS_DISABLED;
    if (hasFocus())
        state |= ODS_FOCUS;
    if (isDefault())
        state |= ODS_DEFAULT;
    return state;
}

void CColorButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawItem(painter, rect(), ItemState());
}

void CColorButton::DrawItem(QPainter& painter, const QRect& rcItem, unsigned itemState) const
{
    const QRect focusRect = rcItem.adjusted(4, 4, -4, -4);
    const QRect normalCaption = rcItem.translated(-1, -1);
    const QRect pressedCaption = rcItem;
    const QString caption = text();
    const bool disabled = itemState & ODS_DISABLED;
    const bool selected = itemState & ODS_SELECTED;

    painter.save();
    painter.setFont(font());
    FillFace(painter, rcItem, disabled ? m_crDisabledFace : m_crFace);

    unsigned rings = RING_RAISED;
    if (selected)
        rings = RING_SUNKEN;
    else if (itemState & (ODS_FOCUS | ODS_DEFAULT))
        rings = RING_OUTLINE | RING_RAISED;
    DrawFrame(painter, rcItem, rings);

    if (disabled) {
        DrawButtonText(painter, pressedCaption, caption, QColor(255, 255, 255));
        DrawButtonText(painter, normalCaption, caption, QColor(128, 128, 128));
    } else {
        DrawButtonText(painter, selected ? pressedCaption : normalCaption, caption, m_crText);
    }

    if (itemState & ODS_FOCUS)
        DrawFocusRect(painter, focusRect);
    painter.restore();
}

void CColorButton::FillFace(QPainter& painter, const QRect& rect, QColor cr) const
{
    painter.fillRect(rect, cr);
}

void CColorButton::DrawEdgeLine(QPainter& painter, QPoint from, QPoint to, QColor cr) const
{
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    if (dx > 0 && dy == 0)
        painter.fillRect(from.x(), from.y(), dx, 1, cr);
    else if (dy > 0 && dx == 0)
        painter.fillRect(from.x(), from.y(), 1, dy, cr);
}

void CColorButton::DrawRing(QPainter& painter, const QRect& rect, QColor topLeft, QColor bottomRight) const
{
    const int l = rect.x();
    const int t = rect.y();
    const int r = Right(rect);
    const int b = Bottom(rect);
    // Bottom and right come last, so they own the bottom-left and top-right corners.
    DrawEdgeLine(painter, {l, t}, {r, t}, topLeft);
    DrawEdgeLine(painter, {l, t}, {l, b}, topLeft);
    DrawEdgeLine(painter, {l, b - 1}, {r, b - 1}, bottomRight);
    DrawEdgeLine(painter, {r - 1, t}, {r - 1, b}, bottomRight);
}

void CColorButton::DrawFrame(QPainter& painter, QRect rect, unsigned nFlags) const
{
    const auto shrink = [&rect] { rect.adjust(1, 1, -1, -1); };
    if (nFlags & RING_OUTLINE) {
        DrawRing(painter, rect, Qt::black, Qt::black);
        shrink();
    }
    if (nFlags & RING_RAISED) {
        DrawRing(painter, rect, m_crHighlight, m_crDarkShadow);
        shrink();
        DrawRing(painter, rect, m_crLight, m_crShadow);
    }
    if (nFlags & RING_SUNKEN) {
        DrawRing(painter, rect, m_crDarkShadow, m_crDarkShadow);
        shrink();
        DrawRing(painter, rect, m_crShadow, m_crShadow);
    }
}

void CColorButton::DrawButtonText(QPainter& painter, const QRect& rect, const QString& text, QColor cr) const
{
    const QStringList lines = (m_nStyle & BS_MULTILINE) ? text.split(QLatin1Char('\n')) : QStringList{text};
    const int lineHeight = QFontMetrics(painter.font()).height();
    const int n = static_cast<int>(lines.size());
    const int top = rect.y();
    const int bottom = Bottom(rect);

    // The rectangle's top is not added to the centred position, so a pressed
    // caption moves only sideways when it is centred vertically.
    const int centred = (bottom - top - n * lineHeight) / 2 - 1;
    int y0 = centred;
    if (HasAll(m_nStyle, BS_TOP))
        y0 = top + 2;
    if (HasAll(m_nStyle, BS_BOTTOM))
        y0 = bottom - n * lineHeight - 2;
    if (HasAll(m_nStyle, BS_VCENTER))
        y0 = centred;

    int format = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;
    if (HasAll(m_nStyle, BS_CENTER))
        format = Qt::AlignHCenter | Qt::AlignTop;
    else if (m_nStyle & BS_LEFT)
        format = Qt::AlignLeft | Qt::AlignTop;
    else if (m_nStyle & BS_RIGHT)
        format = Qt::AlignRight | Qt::AlignTop;

    // An "&" marks the next letter as the button's mnemonic: underlined, not
    // shown ("&&" shows one). The key itself is the button's own shortcut.
    format |= Qt::TextShowMnemonic;
    painter.setPen(cr);
    painter.setBackgroundMode(Qt::TransparentMode);
    for (int i = 0; i < n; ++i) {
        const QRect lineRect(QPoint(rect.x() + 3, y0 + i * lineHeight),
                             QPoint(Right(rect) - 3 - 1, y0 + (i + 1) * lineHeight - 1));
        painter.drawText(lineRect, format, lines[i]);
    }
}

void CColorButton::DrawFocusRect(QPainter& painter, const QRect& rect) const
{
    // Every other pixel of the outline, inverted, on a checkerboard.
    const int l = rect.x();
    const int t = rect.y();
    const int r = Right(rect) - 1;
    const int b = Bottom(rect) - 1;
    if (r < l || b < t)
        return;
    QPolygon dots;
    const auto dot = [&dots](int x, int y) {
        if (((x + y) & 1) == 0)
            dots << QPoint(x, y);
    };
    for (int x = l; x <= r; ++x) {
        dot(x, t);
        if (b > t)
            dot(x, b);
    }
    for (int y = t + 1; y < b; ++y) {
        dot(l, y);
        if (r > l)
            dot(r, y);
    }
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 0));
    painter.drawPoints(dots);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}
