#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class MessageIcon { Information, Warning, Critical };

// Shows a modal message box with an OK button, titled with the name the
// application gave its QCoreApplication at start. Tests install a hook that records the text instead of blocking.
void ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon = MessageIcon::Warning);

using MessageBoxHook = std::function<void(QWidget* parent, const QString& text, MessageIcon icon)>;
// Replaces the box by the hook (an empty hook restores the box); returns the
// previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Asks a question with Yes and No, No the default (Enter and Escape say No);
// true for Yes. Titled as ShowMessageBox's box. Tests install a hook that
// records the question and answers it.
bool AskYesNo(QWidget* parent, const QString& question);

using QuestionHook = std::function<bool(QWidget* parent, const QString& question)>;
QuestionHook SetQuestionHook(QuestionHook hook);
