#include "results/file_saving.h"

#include <QFileInfo>
#include <QSaveFile>

bool saveBytes(const QByteArray& bytes, const QString& target)
{
    // QSaveFile writes beside the target and renames on commit; without commit the temporary goes.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) return false;
    return file.commit();
}

bool saveImage(const QImage& image, const QString& target)
{
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) return false;
    return file.commit();
}

QString withSuffix(const QString& path, const QString& suffix)
{
    return QFileInfo(path).suffix().isEmpty() ? path + suffix : path;
}
