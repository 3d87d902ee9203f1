#include "controls/ColorButton.h"
#include "controls/SysColors.h"

#include "PaintCounter.h"
#include "PixelProbe.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kFace(200, 200, 50);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kGrey(128, 128, 128);
constexpr int kW = 89;
constexpr int kH = 21;

class Button : public ::testing::Test {
protected:
    Button()
    {
        button.resize(kW, kH);
        // Unsmoothed glyphs have pixels of exactly the caption colour.
        QFont font = button.font();
        font.setStyleStrategy(QFont::NoAntialias);
        font.setPixelSize(12);
        button.setFont(font);
        button.setText("I");
        button.SetColors(kBlack, kFace);
    }

    QImage Draw(unsigned state, QSize size = {kW, kH})
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        button.DrawItem(painter, image.rect(), state);
        return image;
    }

    // The four corner pixels, clockwise from the top left, `inset` pixels in.
    static std::array<QColor, 4> Corners(const QImage& image, int inset)
    {
        const int r = image.width() - 1 - inset;
        const int b = image.height() - 1 - inset;
        return {image.pixelColor(inset, inset), image.pixelColor(r, inset), image.pixelColor(r, b),
                image.pixelColor(inset, b)};
    }

    int LineHeight() const { return QFontMetrics(button.font()).height(); }

    CColorButton button;
    const QColor highlight = QColor(GetSysColor(COLOR_BTNHIGHLIGHT).rgb()); // 8 bits a channel, as in a picture
    const QColor light = QColor(GetSysColor(COLOR_3DLIGHT).rgb()); // 8 bits a channel, as in a picture
    const QColor shadow = QColor(GetSysColor(COLOR_BTNSHADOW).rgb()); // 8 bits a channel, as in a picture
    const QColor darkShadow = QColor(GetSysColor(COLOR_3DDKSHADOW).rgb()); // 8 bits a channel, as in a picture
};

using Corners4 = std::array<QColor, 4>;

} // namespace

TEST_F(Button, RaisedRingsGiveTheCornersToBottomAndRight)
{
    const QImage image = Draw(0);
    EXPECT_EQ(Corners(image, 0), (Corners4{highlight, darkShadow, darkShadow, darkShadow}));
    EXPECT_EQ(Corners(image, 1), (Corners4{light, shadow, shadow, shadow}));
    EXPECT_EQ(image.pixelColor(kW / 2, 0), highlight);
    EXPECT_EQ(image.pixelColor(0, kH / 2), highlight);
    EXPECT_EQ(image.pixelColor(kW / 2, kH - 1), darkShadow);
    EXPECT_EQ(image.pixelColor(kW - 1, kH / 2), darkShadow);
    EXPECT_EQ(image.pixelColor(2, 2), kFace);
}

TEST_F(Button, FocusAddsABlackOutlineAndADottedRectangleFourPixelsIn)
{
    const QImage image = Draw(CColorButton::ODS_FOCUS);
    EXPECT_EQ(Corners(image, 0), (Corners4{kBlack, kBlack, kBlack, kBlack}));
    EXPECT_EQ(Corners(image, 1), (Corners4{highlight, darkShadow, darkShadow, darkShadow}));
    EXPECT_EQ(Corners(image, 2), (Corners4{light, shadow, shadow, shadow}));
    const QColor inverted(255 - kFace.red(), 255 - kFace.green(), 255 - kFace.blue());
    EXPECT_EQ(image.pixelColor(4, 4), inverted);
    EXPECT_EQ(image.pixelColor(5, 4), kFace);
    EXPECT_EQ(image.pixelColor(6, 4), inverted);
    EXPECT_EQ(image.pixelColor(3, 4), kFace);
    EXPECT_EQ(image.pixelColor(4, kH - 5), inverted);
    EXPECT_EQ(image.pixelColor(4, 3), kFace);

    // A default button gets the outline but no focus rectangle.
    const QImage byDefault = Draw(CColorButton::ODS_DEFAULT);
    EXPECT_EQ(Corners(byDefault, 0), (Corners4{kBlack, kBlack, kBlack, kBlack}));
    EXPECT_EQ(byDefault.pixelColor(4, 4), kFace);
}

TEST_F(Button, PressedButtonHasTwoDarkRingsAndTheCaptionOnePixelRight)
{
    const QImage pressed = Draw(CColorButton::ODS_SELECTED | CColorButton::ODS_FOCUS);
    EXPECT_EQ(Corners(pressed, 0), (Corners4{darkShadow, darkShadow, darkShadow, darkShadow}));
    EXPECT_EQ(Corners(pressed, 1), (Corners4{shadow, shadow, shadow, shadow}));

    const QRect down = BoundingBoxOf(Draw(CColorButton::ODS_SELECTED), kBlack);
    const QRect up = BoundingBoxOf(Draw(0), kBlack);
    ASSERT_FALSE(up.isNull());
    EXPECT_EQ(down.topLeft() - up.topLeft(), QPoint(1, 0));
}

TEST_F(Button, DisabledButtonDrawsTheCaptionWhiteThenGreyUpLeft)
{
    const QImage centred = Draw(CColorButton::ODS_DISABLED);
    EXPECT_EQ(centred.pixelColor(2, 2).rgb(), GetSysColor(COLOR_BTNFACE).rgb());
    const QRect inside(2, 2, kW - 4, kH - 4); // clear of the rings
    const QRect white = BoundingBoxOf(centred, kWhite, inside);
    const QRect grey = BoundingBoxOf(centred, kGrey, inside);
    ASSERT_FALSE(grey.isNull());
    EXPECT_EQ(white.right(), grey.right() + 1);
    EXPECT_EQ(white.bottom(), grey.bottom());

    button.SetWindowStyle(CColorButton::BS_TOP);
    const QImage top = Draw(CColorButton::ODS_DISABLED);
    EXPECT_EQ(BoundingBoxOf(top, kWhite, inside).bottomRight(),
              BoundingBoxOf(top, kGrey, inside).bottomRight() + QPoint(1, 1));
}

TEST_F(Button, CaptionLineBoxStartsAtTheCentredPosition)
{
    // Without alignment bits the single line is centred in a box one line high
    // whose top is (height - H) / 2 - 1; a glyph keeps its place in that box.
    const QImage small = Draw(0, {kW, kH});
    const QImage tall = Draw(0, {kW, kH + 20});
    EXPECT_EQ(BoundingBoxOf(tall, kBlack).top() - BoundingBoxOf(small, kBlack).top(), 10);

    button.SetWindowStyle(CColorButton::BS_LEFT | CColorButton::BS_TOP);
    const QRect left = BoundingBoxOf(Draw(0), kBlack);
    EXPECT_LE(left.left(), 2 + 3); // one pixel up-left of the rectangle, 3 in
    button.SetWindowStyle(CColorButton::BS_RIGHT | CColorButton::BS_BOTTOM);
    const QRect right = BoundingBoxOf(Draw(0), kBlack);
    EXPECT_GE(right.right(), kW - 1 - 1 - 3 - 3);
    EXPECT_GT(right.top(), left.top());
}

TEST_F(Button, MultiLineCaptionsStackLinesAndCountATrailingEmptyLine)
{
    const QSize size(kW, 60);
    const int h = LineHeight();
    button.SetWindowStyle(CColorButton::BS_MULTILINE);
    button.setText("I");
    const int single = BoundingBoxOf(Draw(0, size), kBlack).top();

    button.setText("I\nI");
    const QImage twoLines = Draw(0, size);
    const QRect first = BoundingBoxOf(twoLines, kBlack, QRect(0, 0, kW, 30));
    const QRect second = BoundingBoxOf(twoLines, kBlack, QRect(0, first.bottom() + 1, kW, 60));
    EXPECT_EQ(second.top() - first.top(), h);
    EXPECT_EQ(single - first.top(), (60 - h) / 2 - (60 - 2 * h) / 2);

    button.setText("I\n");
    EXPECT_EQ(BoundingBoxOf(Draw(0, size), kBlack).top(), first.top());

    button.SetWindowStyle(0); // without the multi-line bit the line feed stays in one line
    EXPECT_EQ(BoundingBoxOf(Draw(0, size), kBlack).top(), single);
}

TEST_F(Button, AnAmpersandUnderlinesTheNextLetterAndMakesOneShortcut)
{
    button.setText("Scan");
    const QImage plain = Draw(0);
    button.setText("&Scan");
    const QImage marked = Draw(0);
    // The same letters in the same place, and a line under the S alone.
    const QRect letters = BoundingBoxOf(plain, kBlack);
    QRect changed;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            if (plain.pixel(x, y) != marked.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(changed.isNull());
    EXPECT_GE(changed.top(), letters.bottom());
    EXPECT_GE(changed.left(), letters.left() - 1);
    EXPECT_LE(changed.right(), letters.left() + QFontMetrics(button.font()).horizontalAdvance('S'));

    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
    button.show();
    button.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&button));
    // The shortcut presses the button for a moment, then clicks it; a second
    // shortcut for the key would make it ambiguous, and nothing would click.
    QTest::keyClick(&button, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&clicks] { return clicks != 0; }));
    EXPECT_EQ(clicks, 1);
}

TEST_F(Button, SetColorsRepaintsAtOnceAndKeepsTheEdges)
{
    button.setFocusPolicy(Qt::NoFocus); // alone on screen it would take the focus
    ShowAndSettle(button);
    PaintCounter paints(button);
    button.SetColors(kBlack, QColor(255, 0, 0));
    QApplication::processEvents();
    EXPECT_EQ(paints.Count(), 1);

    const QImage image = button.grab().toImage();
    EXPECT_EQ(image.pixelColor(3, kH / 2), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(0, 0), highlight);
    EXPECT_EQ(image.pixelColor(kW - 1, kH - 1), darkShadow);
}

TEST_F(Button, WidgetStateChoosesTheDrawing)
{
    button.setDown(true);
    EXPECT_EQ(button.ItemState(), CColorButton::ODS_SELECTED);
    EXPECT_EQ(button.grab().toImage().pixelColor(0, 0), darkShadow);
    button.setDown(false);
    button.setEnabled(false);
    EXPECT_EQ(button.ItemState(), CColorButton::ODS_DISABLED);
    EXPECT_TRUE(BoundingBoxOf(button.grab().toImage(), kGrey, QRect(2, 2, kW - 4, kH - 4)).isValid());
}
