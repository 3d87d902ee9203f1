#pragma once

#include <QLabel>

#include "app/FrameView.h"

// The view the frame holds until the group setup form takes its place: it
// applies stay-on-top and loads the settings like the form, and shows a note.
class CPlaceholderView final : public QLabel, public IFrameView {
public:
    CPlaceholderView(CMainFrame& frame, CBrenvikDoc& document);

    QWidget* Widget() override { return this; }
    void OnInitialUpdate() override;
    // There is no port to set up without the form.
    void OnPortSetup() override {}

    int InitialUpdates() const { return m_nInitialUpdates; }

    static IFrameView* Create(CMainFrame& frame, CBrenvikDoc& document);

private:
    CMainFrame& m_frame;
    CBrenvikDoc& m_document;
    int m_nInitialUpdates = 0;
};
