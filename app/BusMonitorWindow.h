#pragma once

#include <QDialog>
#include <cstdint>
#include <span>

#include "busreport/TrafficLog.h"

class CTrafficListModel;
class QLabel;
class QListView;
class QPushButton;
class QTimer;

// "Trakbus Monitor": every message the form's bus conversation frames while the
// window exists, one line each (time, hex, words), echoes, dropped messages
// and line errors included. It only reads: it never sends.
//
// Lines go into a bounded log at once; the list catches up a few times a
// second, so a flood of messages costs one list update per refresh, not one
// per message. The list follows the newest line unless the user scrolled up.
class CBusMonitorWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 100;

    explicit CBusMonitorWindow(QWidget* parent = nullptr);
    ~CBusMonitorWindow() override;

    // What the framer and the port report.
    void OnMessage(std::span<const std::uint8_t> message, bool echo);
    void OnBadMessage(std::span<const std::uint8_t> message);
    // The line-error flags of one notification (CE_ bits).
    void OnLineError(unsigned flags);

    void TogglePause();
    bool IsPaused() const { return m_bPaused; }
    void Clear();
    // Writes the lines the list shows as plain text, whole or not at all;
    // false (with a message shown) when the file cannot be written.
    bool SaveAs(const QString& path);
    // Brings the list up to date with the log (the refresh timer's work).
    void Refresh();

    const busreport::CTrafficLog& Log() const { return m_log; }
    CTrafficListModel& Model() const { return *m_model; }
    QListView& List() const { return *m_list; }

private:
    void Add(busreport::TrafficKind kind, const std::string& text);
    void OnSaveAs();
    void ShowCounts();

    busreport::CTrafficLog m_log;
    CTrafficListModel* m_model;
    QListView* m_list;
    QLabel* m_counts;
    QPushButton* m_pause;
    QTimer* m_refresh;
    bool m_bPaused = false;
};
