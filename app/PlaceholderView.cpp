#include "app/PlaceholderView.h"

#include "app/BrenvikDoc.h"
#include "app/MainFrame.h"
#include "platform/DialogBuilder.h"
#include "platform/DialogUnits.h"
#include "res/DialogTemplates.h"
#include "res/Resource.h"

CPlaceholderView::CPlaceholderView(CMainFrame& frame, CBrenvikDoc& document)
    : m_frame(frame), m_document(document)
{
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    // The size of the form it stands for.
    const DialogTemplate& form = *FindDialogTemplate(IDD_BRENVIK_FORM);
    setFont(CDialogBuilder::TemplateFont(form));
    setMinimumSize(MapDialogSize(QSize(form.cx, form.cy), MeasureDialogBaseUnits(font())));
    setText(QStringLiteral("The group setup form is not part of this build."));
}

void CPlaceholderView::OnInitialUpdate()
{
    ++m_nInitialUpdates;
    m_frame.ApplyStayOnTop();
    m_document.LoadFromRegistry();
}

IFrameView* CPlaceholderView::Create(CMainFrame& frame, CBrenvikDoc& document)
{
    return new CPlaceholderView(frame, document);
}
