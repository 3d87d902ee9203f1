#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QWidget;

// Writes `bytes` to `path` whole or not at all: beside the target first, then
// renamed over it, so a failure leaves whatever was there. On failure a
// message names the `what`, the path and the system's reason.
bool SaveWholeFile(QWidget* parent, const QString& path, const QByteArray& bytes, const QString& what);

// Asks where to save, offering `name`, and runs `save` there; nothing when
// the user cancels.
void AskAndSave(QWidget* parent, const QString& title, const QString& name, const QString& filter,
                const std::function<bool(const QString& path)>& save);
