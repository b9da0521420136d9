#pragma once

#include "YamlFields.h"

#include <QByteArray>

// What is looked at before a lesson file becomes a YAML tree: the text itself (UTF-8,
// no control characters) and the outline of its YAML, read as a stream of events
// without building anything. A tree of a hostile file would cost gigabytes before
// any rule of the lesson could apply; the outline stops at the first limit instead.
// It also says what the tree would hide: a second document, a key given twice.
namespace YamlPrecheck {

// A lesson of 10,000 items has some 30,000 parts; yaml-cpp's tree takes some 500 bytes
// a part, and `--check` 30 MB more for the dictionary.
inline constexpr long MostParts = 60'000;
// The bytes of every text, each alias counted as what it repeats.
inline constexpr qint64 MostTextBytes = 10 * 1024 * 1024;
// Brackets and nesting of a lesson go a few levels deep.
inline constexpr int MostDepth = 64;

// True when `bytes` may be loaded as YAML; otherwise `report` says why.
bool check(const QByteArray &bytes, YamlReport &report);

} // namespace YamlPrecheck
