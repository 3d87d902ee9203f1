#include "app/ScanResultsWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <sstream>

#include "app/FileSaving.h"
#include "bus/BusLimits.h"

namespace {

const QStringList kColumns = {QStringLiteral("Channel"), QStringLiteral("Last"),     QStringLiteral("Peak"),
                              QStringLiteral("Average"), QStringLiteral("Readings"), QStringLiteral("Wi-Fi overlap")};

// One row's cells; a channel without readings has no figures to show.
QStringList RowText(int channel, const busreport::ChannelStats& stats)
{
    const QString wifi = QString::fromStdString(busreport::ChannelRange(busreport::OverlappingWifiChannels(channel)));
    if (stats.samples == 0)
        return {QString::number(channel), "-", "-", "-", "-", wifi};
    return {QString::number(channel),
            QString::number(stats.last),
            QString::number(stats.peak),
            QString::number(stats.Average(), 'f', 1),
            QString::number(stats.samples),
            wifi};
}

} // namespace

CScanResultsWindow::CScanResultsWindow(const busreport::CScanStats& stats, UseChannel useChannel, ChartPicture chart,
                                       QWidget* parent)
    : QDialog(parent),
      m_stats(stats),
      m_useChannel(std::move(useChannel)),
      m_chart(std::move(chart)),
      m_table(new QTableWidget(bus::kChannelCount, int(kColumns.size()))),
      m_verdict(new QLabel),
      m_use(new QPushButton)
{
    setWindowTitle(QStringLiteral("Scan Results"));
    setSizeGripEnabled(true);

    m_table->setHorizontalHeaderLabels(kColumns);
    m_table->verticalHeader()->hide();
    // All sixteen rows in view, no scrolling.
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setMinimumHeight(m_table->horizontalHeader()->sizeHint().height()
                              + bus::kChannelCount * m_table->verticalHeader()->defaultSectionSize()
                              + 2 * m_table->frameWidth());
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setAccessibleName(QStringLiteral("Channels"));
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < bus::kChannelCount; ++row) {
        for (int column = 0; column < kColumns.size(); ++column) {
            auto* cell = new QTableWidgetItem;
            cell->setTextAlignment(Qt::AlignCenter);
            m_table->setItem(row, column, cell);
        }
    }

    m_verdict->setAccessibleDescription(QStringLiteral("Verdict"));
    connect(m_use, &QPushButton::clicked, this, [this] {
        if (const int best = BestChannel())
            m_useChannel(best);
    });

    auto* copy = new QPushButton(QStringLiteral("&Copy"));
    auto* csv = new QPushButton(QStringLiteral("Save as C&SV..."));
    auto* png = new QPushButton(QStringLiteral("Save Chart as &PNG..."));
    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(copy, &QPushButton::clicked, this, &CScanResultsWindow::OnCopy);
    connect(csv, &QPushButton::clicked, this, &CScanResultsWindow::OnSaveCsv);
    connect(png, &QPushButton::clicked, this, &CScanResultsWindow::OnSaveChart);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    for (QPushButton* button : {m_use, copy, csv, png, close})
        button->setAutoDefault(false);

    auto* verdict = new QHBoxLayout;
    verdict->addWidget(m_verdict, 1);
    verdict->addWidget(m_use);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {copy, csv, png})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(verdict);
    layout->addLayout(buttons);
    Refresh();
    resize(520, sizeHint().height());
}

int CScanResultsWindow::BestChannel() const
{
    const std::vector<int> quietest = m_stats.QuietestChannels();
    return quietest.empty() ? 0 : quietest.front();
}

QString CScanResultsWindow::Verdict() const
{
    const std::vector<int> quietest = m_stats.QuietestChannels();
    if (quietest.empty())
        return QStringLiteral("Quietest: no channel measured yet");
    QStringList named;
    for (std::size_t i = 0; i < quietest.size() && i < std::size_t(kNamedQuietest); ++i)
        named << QString::number(quietest[i]);
    return QStringLiteral("Quietest: ") + named.join(QStringLiteral(", "));
}

void CScanResultsWindow::Refresh()
{
    for (int channel = bus::kFirstChannel; channel <= bus::kLastChannel; ++channel) {
        const QStringList cells = RowText(channel, m_stats.Of(channel));
        for (int column = 0; column < cells.size(); ++column)
            m_table->item(channel - bus::kFirstChannel, column)->setText(cells[column]);
    }
    m_verdict->setText(Verdict());
    const int best = BestChannel();
    m_use->setEnabled(best != 0);
    m_use->setText(best ? QStringLiteral("&Use channel %1").arg(best) : QStringLiteral("&Use channel"));
}

QString CScanResultsWindow::TabSeparated() const
{
    QString text = kColumns.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int channel = bus::kFirstChannel; channel <= bus::kLastChannel; ++channel)
        text += RowText(channel, m_stats.Of(channel)).join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

bool CScanResultsWindow::SaveCsv(const QString& path)
{
    std::ostringstream csv;
    busreport::WriteScanCsv(csv, m_stats);
    return SaveWholeFile(this, path, QByteArray::fromStdString(csv.str()), QStringLiteral("scan results"));
}

bool CScanResultsWindow::SaveChart(const QString& path)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    m_chart().save(&buffer, "PNG");
    return SaveWholeFile(this, path, png, QStringLiteral("chart"));
}

void CScanResultsWindow::OnCopy()
{
    QApplication::clipboard()->setText(TabSeparated());
}

void CScanResultsWindow::OnSaveCsv()
{
    AskAndSave(this, QStringLiteral("Save Scan Results"), QStringLiteral("channel-scan.csv"),
               QStringLiteral("CSV files (*.csv);;All files (*)"), [this](const QString& path) { return SaveCsv(path); });
}

void CScanResultsWindow::OnSaveChart()
{
    AskAndSave(this, QStringLiteral("Save Chart"), QStringLiteral("channel-scan.png"),
               QStringLiteral("PNG pictures (*.png);;All files (*)"), [this](const QString& path) { return SaveChart(path); });
}
