#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/MessageBox.h"

namespace {

// The host layer knows no application: a box is titled with whatever name
// the application gave itself, and shows the text with the icon asked for.
TEST(MessageBox, TitleIsTheNameTheApplicationGaveItself)
{
    const QString previous = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName("Some Tool");
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // Answers the box once its own event loop runs.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    answer.start(0);
    ShowMessageBox(nullptr, "Port busy", MessageIcon::Critical);
    QCoreApplication::setApplicationName(previous);
    EXPECT_EQ(title, "Some Tool");
    EXPECT_EQ(text, "Port busy");
    EXPECT_EQ(icon, QMessageBox::Critical);
}

} // namespace
