#pragma once

#include <functional>

class CBrenvikDoc;
class CMainFrame;
class QWidget;

// What the frame needs of the view it holds. The view is a widget that also
// implements this interface; the frame takes ownership of Widget() (which
// owns the interface object, normally by being it).
//
// - OnInitialUpdate runs after the view is created and again after every New
//   and Open; it is expected to call CMainFrame::ApplyStayOnTop so the loaded
//   switch takes effect, then load the document's settings.
// - OnPortSetup serves the "&PortSetup" command (32773).
// - OnBusMonitor and OnScanResults serve the View menu: each opens its
//   window beside the form, or raises it when it is open.
class IFrameView {
public:
    virtual ~IFrameView() = default;
    virtual QWidget* Widget() = 0;
    virtual void OnInitialUpdate() = 0;
    virtual void OnPortSetup() = 0;
    virtual void OnBusMonitor() = 0;
    virtual void OnScanResults() = 0;
};

// Makes the view of a frame for a document.
using ViewFactory = std::function<IFrameView*(CMainFrame& frame, CBrenvikDoc& document)>;
