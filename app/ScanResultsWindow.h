#pragma once

#include <QDialog>
#include <QImage>
#include <functional>

#include "busreport/ScanStats.h"

class QLabel;
class QPushButton;
class QTableWidget;

// "Scan Results": the sixteen channels of the last channel scan (last level,
// peak, average, readings, the Wi-Fi channels that overlap them), live while
// the scan runs, and the verdict: the quietest channels by the rule of
// brenvik-cli scan, with a button that puts the best one into the form's RF
// Channel field. Nothing is sent from here. A channel not yet measured shows
// "-" in every figure.
class CScanResultsWindow final : public QDialog {
    Q_OBJECT
public:
    // How many of the quietest channels the verdict names.
    static constexpr int kNamedQuietest = 3;

    using UseChannel = std::function<void(int channel)>;
    using ChartPicture = std::function<QImage()>;

    // `stats` must outlive the window; Refresh shows what it holds now.
    CScanResultsWindow(const busreport::CScanStats& stats, UseChannel useChannel, ChartPicture chart,
                       QWidget* parent = nullptr);

    void Refresh();

    // The table as tab-separated text, header first, as Copy puts it on the clipboard.
    QString TabSeparated() const;
    // Whole or not at all; false (with a message shown) when the file cannot be written.
    bool SaveCsv(const QString& path);
    bool SaveChart(const QString& path);

    // The verdict line ("Quietest: 15, 20, 25") and the best channel (0: none).
    QString Verdict() const;
    int BestChannel() const;
    QTableWidget& Table() const { return *m_table; }
    QPushButton& UseButton() const { return *m_use; }

private:
    void OnCopy();
    void OnSaveCsv();
    void OnSaveChart();

    const busreport::CScanStats& m_stats;
    UseChannel m_useChannel;
    ChartPicture m_chart;
    QTableWidget* m_table;
    QLabel* m_verdict;
    QPushButton* m_use;
};
