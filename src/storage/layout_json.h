#pragma once
// The layout record as JSON, for scripting templates: {"entries": [four objects]} whose keys are
// the record's field names, in the record's order.

#include <QByteArray>
#include <QString>

#include "core/pip_entry.h"

namespace quorvel {

QByteArray LayoutToJson(const TPipSetup& setup);

// Reads a layout; keys that are missing keep what `setup` holds. Returns an empty string on
// success, otherwise a message naming the problem (and leaves `setup` untouched).
QString LayoutFromJson(const QByteArray& json, TPipSetup& setup);

} // namespace quorvel
