#pragma once
// Files written whole or not at all: to a temporary file beside the target, renamed to the target
// when complete; on failure nothing changes at the target.

#include <QByteArray>
#include <QImage>
#include <QString>

bool saveBytes(const QByteArray& bytes, const QString& target);
bool saveImage(const QImage& image, const QString& target);  // as PNG
