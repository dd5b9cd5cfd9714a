#pragma once
// Where a problem sits in a JSON text the program reads (limits, masks, recipes): the line of an
// offset, and the line of a key named by the keys above it. Qt's parser gives neither.

#include <QByteArray>
#include <QStringList>

namespace verdict {

// The line (from 1) holding byte `offset` of `text`; offsets outside the text are clamped.
int lineAt(const QByteArray& text, qsizetype offset);

// The line of the key at the end of `path`, each key searched among the keys of the object that is
// the value of the key before it (the first among the document's own keys), not deeper. A key not
// found gives the line of the last key found; an empty path, or a first key not found, line 1.
int lineOfKey(const QByteArray& text, const QStringList& path);

}  // namespace verdict
