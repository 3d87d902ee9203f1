#include "layout/ControlKind.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

std::uint32_t LabelStyle(const QLabel& label)
{
    if (!label.pixmap().isNull())
        return SS_BITMAP;
    const Qt::Alignment horizontal = label.alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignHCenter)
        return SS_CENTER;
    if (horizontal & Qt::AlignRight)
        return SS_RIGHT;
    return SS_LEFT;
}

} // namespace

ControlKind ClassifyWidget(const QWidget& widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return {WindowClass::Static, LabelStyle(*label)};
    if (qobject_cast<const QGroupBox*>(&widget))
        return {WindowClass::Button, BS_GROUPBOX};
    if (qobject_cast<const QAbstractButton*>(&widget))
        return {WindowClass::Button, BS_PUSHBUTTON};
    if (qobject_cast<const QLineEdit*>(&widget) || qobject_cast<const QPlainTextEdit*>(&widget)
        || qobject_cast<const QTextEdit*>(&widget))
        return {WindowClass::Edit, 0};
    if (qobject_cast<const QListView*>(&widget))
        return {WindowClass::ListBox, 0};
    return {};
}
