#include "layout/ResizableFormView.h"

#include <QPaintEvent>
#include <QPainter>

CResizableFormView::CResizableFormView(QWidget* parent)
    : QScrollArea(parent)
{
    setWidgetResizable(false);
}

CResizableFormView::CResizableFormView(QWidget* form, QSize designSize, QWidget* parent)
    : CResizableFormView(parent)
{
    SetForm(form, designSize);
}

CResizableFormView::~CResizableFormView()
{
    if (m_form)
        m_form->removeEventFilter(this);
}

void CResizableFormView::SetForm(QWidget* form, QSize designSize)
{
    if (m_form)
        m_form->removeEventFilter(this);
    m_form = form;
    m_designSize = designSize;
    if (!form)
        return;
    form->resize(designSize);
    setWidget(form);
    // The form erases its own background, clipped around its controls
    // (setWidget would have it filled whole).
    form->setAutoFillBackground(false);
    form->installEventFilter(this);
    if (m_bLayoutReady)
        FitFormAndArrange();
}

void CResizableFormView::OnInitialUpdate()
{
    m_bLayoutReady = true;
    FitFormAndArrange();
}

QRect CResizableFormView::GetLayoutRect() const
{
    QRect rect = viewport()->rect();
    if (!m_bLayoutReady) {
        rect.setSize(m_designSize);
        return rect;
    }
    rect.setSize(rect.size().expandedTo(m_designSize));
    return rect;
}

void CResizableFormView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    if (m_bLayoutReady)
        FitFormAndArrange();
}

void CResizableFormView::FitFormAndArrange()
{
    if (!m_form)
        return;
    m_form->resize(GetLayoutRect().size());
    ArrangeControls();
}

bool CResizableFormView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form && event->type() == QEvent::Paint) {
        QPainter painter(m_form);
        painter.setClipRegion(ClipControls(static_cast<QPaintEvent*>(event)->region()));
        painter.fillRect(m_form->rect(), m_form->palette().window());
    }
    return QScrollArea::eventFilter(watched, event);
}
