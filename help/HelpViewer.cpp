#include "help/HelpViewer.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QToolButton* MakeButton(const QString& text, const QKeySequence& keys, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setShortcut(keys);
    button->setToolTip(QStringLiteral("%1 (%2)").arg(QString(text).remove('&'), keys.toString(QKeySequence::NativeText)));
    return button;
}

// "Brenvik Help", followed by the page's own title where it has another
// (the contents page is called like the help itself).
QString HelpWindowTitle(const QString& pageTitle)
{
    const QString title = QStringLiteral("Brenvik Help");
    if (pageTitle.isEmpty() || pageTitle == title)
        return title;
    return QStringLiteral("%1 - %2").arg(title, pageTitle);
}

} // namespace

CHelpViewer::CHelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(HelpWindowTitle(QString()));
    resize(720, 560);

    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setOpenExternalLinks(true);
    m_pBack = MakeButton(QStringLiteral("&Back"), QKeySequence::Back, this);
    m_pForward = MakeButton(QStringLiteral("&Forward"), QKeySequence::Forward, this);
    auto* home = MakeButton(QStringLiteral("&Contents"), QKeySequence(Qt::ALT | Qt::Key_Home), this);
    m_pSearch = new QLineEdit(this);
    m_pSearch->setPlaceholderText(QStringLiteral("Find in page"));
    m_pSearch->setClearButtonEnabled(true);
    auto* findLabel = new QLabel(QStringLiteral("&Find:"), this);
    findLabel->setBuddy(m_pSearch);

    m_pBack->setEnabled(false);
    m_pForward->setEnabled(false);
    connect(m_pBack, &QToolButton::clicked, m_pBrowser, &QTextBrowser::backward);
    connect(m_pForward, &QToolButton::clicked, m_pBrowser, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, m_pBrowser, &QTextBrowser::home);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, m_pBack, &QToolButton::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, m_pForward, &QToolButton::setEnabled);
    connect(m_pBrowser, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(HelpWindowTitle(m_pBrowser->documentTitle()));
    });
    connect(m_pSearch, &QLineEdit::returnPressed, this, [this] {
        FindNext(QApplication::keyboardModifiers() & Qt::ShiftModifier);
    });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        m_pSearch->setFocus();
        m_pSearch->selectAll();
    });
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this, [this] { FindNext(); });
    connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this, [this] { FindNext(true); });
    // Closed from the keyboard as the View windows are.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_pBack);
    bar->addWidget(m_pForward);
    bar->addWidget(home);
    bar->addStretch();
    bar->addWidget(findLabel);
    bar->addWidget(m_pSearch);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_pBrowser);
}

void CHelpViewer::ShowFile(const QString& path)
{
    m_pBrowser->setSource(QUrl::fromLocalFile(path));
}

bool CHelpViewer::FindNext(bool backwards)
{
    const QString text = m_pSearch->text();
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (m_pBrowser->find(text, flags))
        return true;
    // Wrap around: start again from the other end of the page.
    QTextCursor cursor = m_pBrowser->textCursor();
    cursor.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    m_pBrowser->setTextCursor(cursor);
    return m_pBrowser->find(text, flags);
}
