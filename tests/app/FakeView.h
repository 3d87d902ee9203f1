#pragma once

#include <QWidget>

#include "app/FrameView.h"
#include "app/MainFrame.h"

// A view that counts what the frame asks of it and, like the form, applies
// the frame's stay-on-top switch in its initial update.
class FakeView final : public QWidget, public IFrameView {
public:
    explicit FakeView(CMainFrame& frame) : m_frame(frame) { resize(400, 270); }

    QWidget* Widget() override { return this; }
    void OnInitialUpdate() override
    {
        ++initialUpdates;
        m_frame.ApplyStayOnTop();
    }
    void OnPortSetup() override { ++portSetups; }
    void OnBusMonitor() override { ++busMonitors; }
    void OnScanResults() override { ++scanResults; }

    int initialUpdates = 0;
    int portSetups = 0;
    int busMonitors = 0;
    int scanResults = 0;

    static IFrameView* Create(CMainFrame& frame, CBrenvikDoc&) { return new FakeView(frame); }

private:
    CMainFrame& m_frame;
};

inline FakeView& ViewOf(const CMainFrame& frame)
{
    return *static_cast<FakeView*>(frame.GetActiveView());
}
