#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        break;
    }
    return QMessageBox::Warning;
}

} // namespace

void ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon)
{
    if (Hook()) {
        Hook()(parent, text, icon);
        return;
    }
    QMessageBox box(BoxIcon(icon), QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    return std::exchange(Hook(), std::move(hook));
}
