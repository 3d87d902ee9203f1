#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

QuestionHook& AnswerHook()
{
    static QuestionHook hook;
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

bool AskYesNo(QWidget* parent, const QString& question)
{
    if (AnswerHook())
        return AnswerHook()(parent, question);
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QuestionHook SetQuestionHook(QuestionHook hook)
{
    return std::exchange(AnswerHook(), std::move(hook));
}
