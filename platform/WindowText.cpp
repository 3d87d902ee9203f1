#include "platform/WindowText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

QWidget* GetDlgItem(const QWidget& parent, int id)
{
    return parent.findChild<QWidget*>(QString::number(id));
}

QString GetWindowText(const QWidget& control)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(&control))
        return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(&control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(&control))
        return button->text();
    if (auto* box = qobject_cast<const QGroupBox*>(&control))
        return box->title();
    if (auto* combo = qobject_cast<const QComboBox*>(&control))
        return combo->currentText();
    return control.property("text").toString();
}

void SetWindowText(QWidget& control, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(&control))
        edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(&control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(&control))
        button->setText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(&control))
        box->setTitle(text);
    else if (auto* combo = qobject_cast<QComboBox*>(&control))
        combo->setEditText(text);
    else
        control.setProperty("text", text);
}
