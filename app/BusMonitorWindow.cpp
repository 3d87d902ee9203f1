#include "app/BusMonitorWindow.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/FileSaving.h"
#include "app/TrafficListModel.h"
#include "busreport/MessageText.h"
#include "serial/SerialTypes.h"

using busreport::TrafficKind;

namespace {

struct KindChoice {
    TrafficKind kind;
    const char* caption;
};
constexpr KindChoice kKindChoices[] = {
    {TrafficKind::Settings, "Se&ttings"}, {TrafficKind::Writes, "&Writes"}, {TrafficKind::Levels, "&Levels"},
    {TrafficKind::Other, "&Other"},       {TrafficKind::Echo, "&Echoes"},  {TrafficKind::Error, "Erro&rs"},
};

// "line error: framing, overrun" from the CE_ bits of a notification.
std::string DescribeLineErrors(unsigned flags)
{
    struct Bit {
        unsigned bit;
        const char* name;
    };
    static constexpr Bit kBits[] = {
        {win32::CE_FRAME, "framing"}, {win32::CE_RXPARITY, "parity"},      {win32::CE_OVERRUN, "overrun"},
        {win32::CE_BREAK, "break"},   {win32::CE_RXOVER, "input overflow"},
    };
    std::string text = "line error";
    const char* separator = ": ";
    for (const Bit& bit : kBits) {
        if (flags & bit.bit) {
            text += separator;
            text += bit.name;
            separator = ", ";
        }
    }
    return text + ", pending input discarded";
}

} // namespace

CBusMonitorWindow::CBusMonitorWindow(QWidget* parent)
    : QDialog(parent),
      m_model(new CTrafficListModel(m_log, this)),
      m_list(new QListView),
      m_counts(new QLabel),
      m_pause(new QPushButton(QStringLiteral("&Pause"))),
      m_refresh(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Trakbus Monitor"));
    setSizeGripEnabled(true);

    auto* filters = new QHBoxLayout;
    auto* show = new QLabel(QStringLiteral("Show:"));
    filters->addWidget(show);
    for (const KindChoice& choice : kKindChoices) {
        auto* box = new QCheckBox(QString::fromLatin1(choice.caption));
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, [this, kind = choice.kind](bool on) {
            m_model->SetShown(kind, on);
            m_list->scrollToBottom();
        });
        filters->addWidget(box);
    }
    filters->addStretch();

    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setAccessibleName(QStringLiteral("Bus messages"));
    show->setBuddy(m_list);

    auto* clear = new QPushButton(QStringLiteral("&Clear"));
    auto* save = new QPushButton(QStringLiteral("&Save As..."));
    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(m_pause, &QPushButton::clicked, this, &CBusMonitorWindow::TogglePause);
    connect(clear, &QPushButton::clicked, this, &CBusMonitorWindow::Clear);
    connect(save, &QPushButton::clicked, this, &CBusMonitorWindow::OnSaveAs);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    for (QPushButton* button : {m_pause, clear, save, close})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_counts, 1);
    for (QPushButton* button : {m_pause, clear, save, close})
        buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    // Wide enough for a settings reply in words beside its 20 bytes.
    resize(960, 400);

    connect(m_refresh, &QTimer::timeout, this, &CBusMonitorWindow::Refresh);
    m_refresh->start(kRefreshMs);
    ShowCounts();
}

CBusMonitorWindow::~CBusMonitorWindow() = default;

void CBusMonitorWindow::Add(TrafficKind kind, const std::string& text)
{
    m_log.Add(kind, busreport::WallClockStamp() + "  " + text);
}

// While paused nothing is recorded, nor put into words.
void CBusMonitorWindow::OnMessage(std::span<const std::uint8_t> message, bool echo)
{
    if (!m_bPaused)
        Add(busreport::KindOfMessage(message, echo), busreport::DescribeTraffic(message, echo));
}

void CBusMonitorWindow::OnBadMessage(std::span<const std::uint8_t> message)
{
    if (!m_bPaused)
        Add(TrafficKind::Error, busreport::DescribeBadMessage(message));
}

void CBusMonitorWindow::OnLineError(unsigned flags)
{
    if (!m_bPaused)
        Add(TrafficKind::Error, DescribeLineErrors(flags));
}

void CBusMonitorWindow::Refresh()
{
    if (m_log.NextNumber() == 0 && m_model->rowCount() == 0)
        return;
    // Following the newest line unless the user scrolled away from it.
    const QScrollBar* bar = m_list->verticalScrollBar();
    const bool follow = bar->value() == bar->maximum();
    m_model->Sync();
    if (follow)
        m_list->scrollToBottom();
    ShowCounts();
}

void CBusMonitorWindow::ShowCounts()
{
    QString text = QStringLiteral("%1 lines").arg(m_log.Lines().size());
    if (m_log.Dropped() > 0)
        text += QStringLiteral(", %1 older dropped").arg(m_log.Dropped());
    if (m_bPaused)
        text += QStringLiteral(", paused");
    m_counts->setText(text);
}

void CBusMonitorWindow::TogglePause()
{
    m_bPaused = !m_bPaused;
    m_pause->setText(m_bPaused ? QStringLiteral("R&un") : QStringLiteral("&Pause"));
    ShowCounts();
}

void CBusMonitorWindow::Clear()
{
    m_log.Clear();
    m_model->Rebuild();
    ShowCounts();
}

bool CBusMonitorWindow::SaveAs(const QString& path)
{
    Refresh();
    QByteArray text;
    for (const QString& line : m_model->ShownText())
        text += (line + QLatin1Char('\n')).toUtf8();
    return SaveWholeFile(this, path, text, QStringLiteral("monitor"));
}

void CBusMonitorWindow::OnSaveAs()
{
    AskAndSave(this, QStringLiteral("Save Monitor As"), QStringLiteral("trakbus-monitor.txt"),
               QStringLiteral("Text files (*.txt);;All files (*)"), [this](const QString& path) { return SaveAs(path); });
}
