#pragma once

#include "layout/AnchorLayout.h"

#include <QPointer>
#include <QScrollArea>
#include <QSize>

// A scrollable form whose controls follow their anchors when the view changes
// size. The form is a content widget whose children are the controls, with the
// design size of its template in pixels.
//
// Before the first OnInitialUpdate the anchors measure against the design size
// and size changes move nothing. From then on the reference rectangle is the
// visible area but never smaller than the design size: below it the view
// scrolls, above it the controls spread by their anchors.
class CResizableFormView : public QScrollArea, public CAnchorLayout {
    Q_OBJECT

public:
    explicit CResizableFormView(QWidget* parent = nullptr);
    CResizableFormView(QWidget* form, QSize designSize, QWidget* parent = nullptr);
    ~CResizableFormView() override;

    // Takes `form` as the scrolled content; the view owns it from then on.
    void SetForm(QWidget* form, QSize designSize);
    QWidget* Form() const { return m_form; }
    QSize DesignSize() const { return m_designSize; }

    // Register the anchors first, then call this: it makes the layout ready and
    // runs the first pass against the real size of the view.
    virtual void OnInitialUpdate();
    bool IsLayoutReady() const { return m_bLayoutReady; }

protected:
    QWidget* GetLayoutWindow() const override { return m_form; }
    QRect GetLayoutRect() const override;

    // Receives the size changes of the visible area (the viewport).
    void resizeEvent(QResizeEvent* event) override;
    // Erases the form's background around the controls that paint their own.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitFormAndArrange();

    QPointer<QWidget> m_form; // owned by the scroll area, which may give it away
    QSize m_designSize;
    bool m_bLayoutReady = false;
};
