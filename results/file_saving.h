#pragma once
// Files written whole or not at all: to a temporary file beside the target, renamed to the target
// when complete; on failure nothing changes at the target.

#include <QByteArray>
#include <QImage>
#include <QString>

bool saveBytes(const QByteArray& bytes, const QString& target);
bool saveImage(const QImage& image, const QString& target);  // as PNG

// A name typed without an extension gets `suffix` (".xlsx"), as a program saving its own kind of
// file does; a name with one keeps it.
QString withSuffix(const QString& path, const QString& suffix);
