#include "layout/ResizableFormView.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

constexpr QSize kDesign(400, 200);

// A form of the design size with a button anchored top right, the way a
// derived view registers its anchors before its first initial update.
class FormView : public ::testing::Test {
protected:
    FormView()
    {
        auto* form = new QWidget;
        button = new QWidget(form);
        button->setObjectName("1026");
        button->setGeometry(300, 10, 80, 20);
        view.setFrameShape(QFrame::NoFrame);
        view.SetForm(form, kDesign);
        view.show();
    }

    // Resizes the visible area to `size`, as far as scroll bars allow.
    void ResizeViewport(QSize size)
    {
        view.resize(size);
        QApplication::processEvents();
    }

    CResizableFormView view;
    QWidget* button = nullptr;
};

} // namespace

TEST_F(FormView, BeforeTheInitialUpdateSizeChangesMoveNothing)
{
    ResizeViewport({700, 300});
    view.AnchorControl(1026, ANCHOR_TOP_RIGHT);
    EXPECT_FALSE(view.IsLayoutReady());
    ResizeViewport({800, 350});
    EXPECT_EQ(button->geometry(), QRect(300, 10, 80, 20));
    EXPECT_EQ(view.Form()->size(), kDesign);
    // Margins were measured against the design size, not the larger view.
    EXPECT_EQ(view.Entries()[0].marginTopLeft, QPoint(-100, 10));
}

TEST_F(FormView, InitialUpdateFitsTheRealSizeAndEveryResizeFollows)
{
    ResizeViewport({600, 300});
    view.AnchorControl(1026, ANCHOR_TOP_RIGHT);
    view.OnInitialUpdate();
    EXPECT_TRUE(view.IsLayoutReady());
    EXPECT_EQ(button->geometry(), QRect(500, 10, 80, 20));
    EXPECT_EQ(view.Form()->size(), QSize(600, 300));

    ResizeViewport({700, 300});
    EXPECT_EQ(button->geometry(), QRect(600, 10, 80, 20));
}

TEST_F(FormView, BelowTheDesignSizeTheViewScrollsAndControlsStayAtDesignPlaces)
{
    view.AnchorControl(1026, ANCHOR_TOP_RIGHT);
    view.OnInitialUpdate();
    ResizeViewport({250, 400});
    EXPECT_EQ(button->x(), 300);
    EXPECT_EQ(view.Form()->width(), kDesign.width());
    EXPECT_EQ(view.Form()->height(), view.viewport()->height());
    EXPECT_TRUE(view.horizontalScrollBar()->isVisible());
    EXPECT_FALSE(view.verticalScrollBar()->isVisible());

    ResizeViewport({650, 400});
    EXPECT_EQ(button->x(), 550);
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
}

TEST_F(FormView, BackgroundIsErasedUnderLabelsAndGroupBoxesButNotUnderEdits)
{
    QWidget* form = view.Form();
    auto* group = new QGroupBox(form);
    group->setGeometry(10, 40, 180, 100);
    auto* label = new QLabel(form);
    label->setGeometry(20, 60, 50, 20);
    auto* edit = new QLineEdit(form);
    edit->setGeometry(100, 60, 50, 20);
    for (QWidget* w : {static_cast<QWidget*>(group), static_cast<QWidget*>(label), static_cast<QWidget*>(edit)}) {
        w->show(); // added to a form already on screen
        view.AnchorControl(w, ANCHOR_TOP_LEFT);
    }
    view.AnchorControl(1026, ANCHOR_TOP_RIGHT);
    view.OnInitialUpdate();

    // Paint only the form's own erase: the controls are left out of the picture.
    QPalette palette = form->palette();
    palette.setColor(QPalette::Window, Qt::magenta);
    form->setPalette(palette);
    QImage picture(form->size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    form->render(&picture, {}, {}, QWidget::RenderFlags());

    EXPECT_EQ(picture.pixelColor(5, 5), QColor(Qt::magenta));
    EXPECT_EQ(picture.pixelColor(30, 100), QColor(Qt::magenta)); // inside the group box
    EXPECT_EQ(picture.pixelColor(25, 65), QColor(Qt::magenta));  // under the label
    EXPECT_EQ(picture.pixelColor(120, 70), QColor(Qt::black));   // under the edit
    EXPECT_EQ(picture.pixelColor(button->geometry().center()), QColor(Qt::black)); // a custom control too
}
