#include "app/FileSaving.h"

#include <QFileDialog>
#include <QSaveFile>

#include "platform/MessageBox.h"

bool SaveWholeFile(QWidget* parent, const QString& path, const QByteArray& bytes, const QString& what)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    ShowMessageBox(parent, QStringLiteral("The %1 could not be saved to %2:\n%3").arg(what, path, file.errorString()));
    return false;
}

void AskAndSave(QWidget* parent, const QString& title, const QString& name, const QString& filter,
                const std::function<bool(const QString& path)>& save)
{
    const QString path = QFileDialog::getSaveFileName(parent, title, name, filter);
    if (!path.isEmpty())
        save(path);
}
