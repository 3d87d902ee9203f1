#include "controls/ClockCtrl.h"
#include "controls/ColorButton.h"
#include "controls/ControlClasses.h"
#include "controls/RssiCtrl.h"
#include "platform/DialogBuilder.h"
#include "res/DialogTemplates.h"
#include "res/Resource.h"

#include <QWidget>

#include <gtest/gtest.h>

TEST(ControlClasses, TheFormTemplateBuildsOurControls)
{
    RegisterControlClasses();
    QWidget form;
    const DialogTemplate* formTemplate = FindDialogTemplate(IDD_BRENVIK_FORM);
    ASSERT_NE(formTemplate, nullptr);
    EXPECT_TRUE(CDialogBuilder::Build(*formTemplate, form).isEmpty());

    EXPECT_NE(form.findChild<CClockCtrl*>(QString::number(IDC_CLOCK)), nullptr);
    const auto* graph = form.findChild<CRssiCtrl*>(QString::number(IDC_RSSI));
    ASSERT_NE(graph, nullptr);
    EXPECT_GT(graph->width(), 170); // placed in pixels, not dialog units
    const auto* scan = form.findChild<CColorButton*>(QString::number(IDC_SCAN_BUTTON));
    ASSERT_NE(scan, nullptr);
    EXPECT_EQ(scan->text(), "Start Chan Scan");
    EXPECT_EQ(scan->WindowStyle() & 0x1F, CColorButton::BS_OWNERDRAW);
    EXPECT_EQ(form.findChildren<CColorButton*>().size(), 1);
}
