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
